// The record-file module on real files: every file that cannot give or take all 512 bytes is
// reported, and a failed read leaves the caller's record as it was.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "config_file.h"

namespace {

std::string TempPath(const char* name) {
    const char* folder = getenv("TMPDIR");
    return std::string(folder ? folder : "/tmp") + "/tandemix-" + name;
}

void WriteBytes(const std::string& path, size_t count) {
    FILE* file = fopen(path.c_str(), "wb");
    for (size_t i = 0; i < count; ++i)
        fputc(static_cast<int>(i % 251), file);
    fclose(file);
}

TEST(ConfigFile, ReadTakesExactlyTheFirst512BytesOrNothing) {
    const struct {
        size_t size;
        int result;
    } cases[] = {{0, kConfigFileTooShort}, {1, kConfigFileTooShort}, {511, kConfigFileTooShort},
                 {512, kConfigFileDone},   {513, kConfigFileDone},   {1 << 20, kConfigFileDone}};
    std::string path = TempPath("read.tnx");
    for (const auto& c : cases) {
        WriteBytes(path, c.size);
        unsigned char record[kConfigRecordSize];
        memset(record, 0xAA, sizeof(record));
        EXPECT_EQ(c.result, ReadConfigFile(path.c_str(), record)) << c.size;
        for (int i = 0; i < kConfigRecordSize; ++i)
            ASSERT_EQ(c.result == kConfigFileDone ? i % 251 : 0xAA, record[i]) << c.size;
    }
    remove(path.c_str());
}

TEST(ConfigFile, MissingFoldersAndFullDisksAreReported) {
    unsigned char record[kConfigRecordSize] = {1, 2, 3};
    std::string missing = TempPath("no-such-folder/x.tnx");
    EXPECT_EQ(kConfigFileNotOpened, ReadConfigFile(missing.c_str(), record));
    EXPECT_EQ(kConfigFileNotOpened, WriteConfigFile(missing.c_str(), record));
    EXPECT_EQ(kConfigFileNotOpened, WriteConfigFile("/", record));
    EXPECT_NE(kConfigFileDone, ReadConfigFile("/", record));
    EXPECT_EQ(1, record[0]);
    // The full disk shows only when the buffered bytes are flushed.
    EXPECT_EQ(kConfigFileNotWritten, WriteConfigFile("/dev/full", record));
}

TEST(ConfigFile, WhatIsWrittenReadsBackByteForByte) {
    unsigned char written[kConfigRecordSize];
    for (int i = 0; i < kConfigRecordSize; ++i)
        written[i] = static_cast<unsigned char>(i * 7);
    std::string path = TempPath("round-trip.tnx");
    ASSERT_EQ(kConfigFileDone, WriteConfigFile(path.c_str(), written));
    unsigned char read[kConfigRecordSize] = {};
    ASSERT_EQ(kConfigFileDone, ReadConfigFile(path.c_str(), read));
    EXPECT_EQ(0, memcmp(written, read, sizeof(read)));
    remove(path.c_str());
}

} // namespace
