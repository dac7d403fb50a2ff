// The configuration image's encoding and decoding, byte by byte.
#include "config_record.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

// Sizes are stored big-endian and minus one; an entry outside 641-15361 by 481-8641 is replaced
// by the screen's size, which is not held against that range.
TEST(ConfigRecord, EncodesEveryByteAndDecodesBack) {
    // selection, width and height entries, screen size; mode byte, shown width and height
    const int rows[][8] = {
        {2, 1920, 1080, 1366, 768, 2, 1920, 1080},
        {-1, 641, 481, 1366, 768, 0xFF, 641, 481},
        {0, 640, 480, 1366, 768, 0, 1366, 768},
        {1, 15361, 8641, 1366, 768, 1, 15361, 8641},
        {0, 15362, 8642, 1366, 768, 0, 1366, 768},
        {5, 0, 0, 65536, 200, 5, 65536, 200}, // empty boxes; index 5 names no entry
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row[1] << " x " << row[2]);
        unsigned char record[kConfigRecordSize];
        memset(record, 0xAA, sizeof(record));
        ConfigSettings settings = {row[0], unsigned(row[1]), unsigned(row[2])};
        EncodeConfigRecord(settings, row[3], row[4], record);
        DecodedConfig decoded = DecodeConfigRecord(record);
        EXPECT_EQ(row[5], decoded.controlModeIndex);
        EXPECT_EQ(row[6], int(decoded.width));
        EXPECT_EQ(row[7], int(decoded.height));
        EXPECT_EQ(row[6] == row[1], WidthEntryKept(unsigned(row[1])));
        EXPECT_EQ(row[7] == row[2], HeightEntryKept(unsigned(row[2])));
        EXPECT_EQ(row[5], record[16]);
        EXPECT_EQ(row[6] - 1, record[24] * 256 + record[25]);
        EXPECT_EQ(row[7] - 1, record[26] * 256 + record[27]);
        record[16] = record[24] = record[25] = record[26] = record[27] = 0;
        for (int i = 0; i < kConfigRecordSize; ++i) // the rest zero but for the file's marker
            EXPECT_EQ(i == 505 ? 0x4C : 0, record[i]) << "byte " << i;
    }
}

} // namespace
