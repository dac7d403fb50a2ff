// The record-file module on real files: every file that cannot give or take all 512 bytes is
// reported, and a failed read leaves the caller's record as it was.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "config_file.h"

namespace {

TEST(ConfigFile, ReadTakesTheFirst512BytesOrNothing) {
    std::string path = testing::TempDir() + "tandemix-read.tnx";
    for (int size : {0, 28, 511, 512, 600}) {
        FILE* file = fopen(path.c_str(), "wb");
        for (int i = 0; i < size; ++i)
            fputc(i % 251, file);
        fclose(file);
        unsigned char record[kConfigRecordSize];
        memset(record, 0xAA, sizeof(record));
        unsigned int bytesRead = 0;
        int result = ReadConfigFile(path.c_str(), record, &bytesRead);
        EXPECT_EQ(size < 512 ? kConfigFileTooShort : kConfigFileDone, result) << size;
        EXPECT_EQ(unsigned(std::min(size, 512)), bytesRead);
        for (int i = 0; i < kConfigRecordSize; ++i)
            ASSERT_EQ(result == kConfigFileDone ? i % 251 : 0xAA, record[i]) << size;
    }
    remove(path.c_str());
}

TEST(ConfigFile, WrittenBytesReadBackAndFailuresAreReported) {
    unsigned char written[kConfigRecordSize];
    for (int i = 0; i < kConfigRecordSize; ++i)
        written[i] = static_cast<unsigned char>(i * 7);
    std::string path = testing::TempDir() + "tandemix-round-trip.tnx";
    ASSERT_EQ(kConfigFileDone, WriteConfigFile(path.c_str(), written));
    unsigned char record[kConfigRecordSize] = {};
    ASSERT_EQ(kConfigFileDone, ReadConfigFile(path.c_str(), record));
    remove(path.c_str());
    std::string missing = testing::TempDir() + "tandemix-no-such-folder/x.tnx";
    EXPECT_EQ(kConfigFileNotOpened, ReadConfigFile(missing.c_str(), record));
    EXPECT_EQ(kConfigFileNotOpened, WriteConfigFile(missing.c_str(), record));
    EXPECT_EQ(kConfigFileNotOpened, WriteConfigFile("/", record));
    EXPECT_EQ(kConfigFileNotRead, ReadConfigFile("/", record));
    EXPECT_EQ(0, memcmp(written, record, sizeof(record))); // read back, then kept by the failures
    // A full disk shows only when the buffered bytes are flushed.
    EXPECT_EQ(kConfigFileNotWritten, WriteConfigFile("/dev/full", record));
}

} // namespace
