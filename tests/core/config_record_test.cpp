// The configuration image's encoding and decoding, byte by byte.
#include "config_record.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

// Sizes are stored big-endian and minus one, wrapping at 16 bits; the mode is stored as its
// low byte.
TEST(ConfigRecord, EncodesEveryByteAndDecodesBack) {
    // mode, width, height; mode byte, decoded width and height
    const int rows[][6] = {
        {2, 1920, 1080, 2, 1920, 1080},    {kNoControlMode, 641, 481, 0xFF, 641, 481},
        {1, 15361, 8641, 1, 15361, 8641},  {5, 65536, 1, 5, 65536, 1},
        {0x1FF, 0, 65537, 0xFF, 65536, 1}, // beyond 16 bits
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row[1] << " x " << row[2]);
        unsigned char record[kConfigRecordSize];
        memset(record, 0xAA, sizeof(record));
        EncodeConfigRecord({row[0], unsigned(row[1]), unsigned(row[2])}, record);
        ConfigSettings decoded = DecodeConfigRecord(record);
        EXPECT_EQ(row[3], decoded.controlMode);
        EXPECT_EQ(row[4], int(decoded.width));
        EXPECT_EQ(row[5], int(decoded.height));
        EXPECT_EQ(row[3], record[16]);
        EXPECT_EQ(row[4] - 1, record[24] * 256 + record[25]);
        EXPECT_EQ(row[5] - 1, record[26] * 256 + record[27]);
        record[16] = record[24] = record[25] = record[26] = record[27] = 0;
        for (int i = 0; i < kConfigRecordSize; ++i) // the rest zero but for the file's marker
            EXPECT_EQ(i == 505 ? 0x4C : 0, record[i]) << "byte " << i;
    }
}

} // namespace
