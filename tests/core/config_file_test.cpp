// The record-file module on real files: every file that cannot give or take all 512 bytes is
// reported, a failed read leaves the caller's record as it was, and a failed save the file it
// would replace. Files of every size are the fuzz target's.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "config_file.h"

namespace {

// A save writes a file beside the target first: when that fails, the target stays whole.
TEST(ConfigFile, WrittenBytesReadBackAndFailuresAreReported) {
    unsigned char written[kConfigRecordSize];
    for (int i = 0; i < kConfigRecordSize; ++i)
        written[i] = static_cast<unsigned char>(i * 7);
    std::string path = testing::TempDir() + "tandemix-round-trip.tnx";
    std::string beside = path + kConfigFileTemporarySuffix;
    ASSERT_EQ(kConfigFileDone, WriteConfigFile(path.c_str(), written));
    unsigned char record[kConfigRecordSize] = {};
    mkdir(beside.c_str(), 0700);
    EXPECT_EQ(kConfigFileNotOpened, WriteConfigFile(path.c_str(), record));
    rmdir(beside.c_str());
    ASSERT_EQ(kConfigFileDone, ReadConfigFile(path.c_str(), record));
    remove(path.c_str());
    std::string missing = testing::TempDir() + "tandemix-no-such-folder/x.tnx";
    EXPECT_EQ(kConfigFileNotOpened, ReadConfigFile(missing.c_str(), record));
    EXPECT_EQ(kConfigFileNotOpened, WriteConfigFile(missing.c_str(), record));
    EXPECT_EQ(kConfigFileNotReplaced, WriteConfigFile("/", record));
    EXPECT_EQ(kConfigFileNotReplaced, WriteConfigFile("/dev/full", record)); // not a file
    EXPECT_EQ(kConfigFileNameTooLong, WriteConfigFile(std::string(1024, 'a').c_str(), record));
    EXPECT_EQ(kConfigFileNotRead, ReadConfigFile("/", record));
    EXPECT_EQ(0, memcmp(written, record, sizeof(record))); // read back, then kept by the failures
}

} // namespace
