// The configuration image's encoding and decoding, byte by byte.
#include "config_record.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

const int kScreenWidth = 1366;
const int kScreenHeight = 768;

struct Encoded {
    unsigned char bytes[kConfigRecordSize];
};

Encoded Encode(int selection, unsigned int width, unsigned int height,
               int screenWidth = kScreenWidth, int screenHeight = kScreenHeight) {
    Encoded record;
    memset(record.bytes, 0xAA, sizeof(record.bytes));
    EncodeConfigRecord(ConfigSettings{selection, width, height}, screenWidth, screenHeight,
                       record.bytes);
    return record;
}

// A record as a file or the adapter may hold it: every byte `fill`, then the three fields.
Encoded StoredRecord(unsigned char mode, unsigned int storedWidth, unsigned int storedHeight,
                     unsigned char fill = 0) {
    Encoded record;
    memset(record.bytes, fill, sizeof(record.bytes));
    record.bytes[16] = mode;
    record.bytes[24] = static_cast<unsigned char>(storedWidth >> 8);
    record.bytes[25] = static_cast<unsigned char>(storedWidth & 0xFF);
    record.bytes[26] = static_cast<unsigned char>(storedHeight >> 8);
    record.bytes[27] = static_cast<unsigned char>(storedHeight & 0xFF);
    return record;
}

unsigned int StoredWidth(const Encoded& record) {
    return record.bytes[24] * 256u + record.bytes[25];
}

unsigned int StoredHeight(const Encoded& record) {
    return record.bytes[26] * 256u + record.bytes[27];
}

TEST(ConfigRecord, EncodesEveryByteOfATypicalRecord) {
    Encoded record = Encode(2, 1920, 1080);
    for (int i = 0; i < kConfigRecordSize; ++i) {
        unsigned char expected = 0;
        switch (i) {
            case 16:
                expected = 2;
                break;
            case 24:
                expected = 0x07;
                break;
            case 25:
                expected = 0x7F;
                break;
            case 26:
                expected = 0x04;
                break;
            case 27:
                expected = 0x37;
                break;
            case 505:
                expected = 0x4C;
                break;
        }
        EXPECT_EQ(expected, record.bytes[i]) << "byte " << i;
    }
}

TEST(ConfigRecord, NoSelectionEncodesAsFF) {
    EXPECT_EQ(0xFF, Encode(-1, 1920, 1080).bytes[16]);
    EXPECT_EQ(0, Encode(0, 1920, 1080).bytes[16]);
    EXPECT_EQ(1, Encode(1, 1920, 1080).bytes[16]);
}

TEST(ConfigRecord, WidthBoundsAreInclusiveOf641And15361) {
    EXPECT_EQ(kScreenWidth - 1u, StoredWidth(Encode(0, 640, 1080)));
    EXPECT_EQ(640u, StoredWidth(Encode(0, 641, 1080)));
    EXPECT_EQ(0x02, Encode(0, 641, 1080).bytes[24]);
    EXPECT_EQ(0x80, Encode(0, 641, 1080).bytes[25]);
    EXPECT_EQ(15360u, StoredWidth(Encode(0, 15361, 1080)));
    EXPECT_EQ(0x3C, Encode(0, 15361, 1080).bytes[24]);
    EXPECT_EQ(kScreenWidth - 1u, StoredWidth(Encode(0, 15362, 1080)));
}

TEST(ConfigRecord, HeightBoundsAreInclusiveOf481And8641) {
    EXPECT_EQ(kScreenHeight - 1u, StoredHeight(Encode(0, 1920, 480)));
    EXPECT_EQ(480u, StoredHeight(Encode(0, 1920, 481)));
    EXPECT_EQ(0x01, Encode(0, 1920, 481).bytes[26]);
    EXPECT_EQ(0xE0, Encode(0, 1920, 481).bytes[27]);
    EXPECT_EQ(8640u, StoredHeight(Encode(0, 1920, 8641)));
    EXPECT_EQ(0x21, Encode(0, 1920, 8641).bytes[26]);
    EXPECT_EQ(0xC0, Encode(0, 1920, 8641).bytes[27]);
    EXPECT_EQ(kScreenHeight - 1u, StoredHeight(Encode(0, 1920, 8642)));
}

TEST(ConfigRecord, EmptyAndHugeEntriesFallBackToTheScreen) {
    // An empty box reads as 0, which wraps to the largest value rather than to a small one.
    EXPECT_EQ(kScreenWidth - 1u, StoredWidth(Encode(0, 0, 0)));
    EXPECT_EQ(kScreenHeight - 1u, StoredHeight(Encode(0, 0, 0)));
    EXPECT_EQ(kScreenWidth - 1u, StoredWidth(Encode(0, 0xFFFFFFFFu, 0x10000u)));
    EXPECT_EQ(kScreenWidth - 1u, StoredWidth(Encode(0, 65536 + 1920, 1080)));
}

TEST(ConfigRecord, ReplacementIsNotHeldAgainstTheBounds) {
    Encoded tiny = Encode(0, 0, 0, 320, 200);
    EXPECT_EQ(319u, StoredWidth(tiny));
    EXPECT_EQ(199u, StoredHeight(tiny));
    Encoded huge = Encode(0, 0, 0, 20000, 10000);
    EXPECT_EQ(19999u, StoredWidth(huge));
    EXPECT_EQ(9999u, StoredHeight(huge));
}

TEST(ConfigRecord, DecodesShownSizesAsStoredPlusOne) {
    DecodedConfig decoded = DecodeConfigRecord(StoredRecord(1, 0x077F, 0x0437).bytes);
    EXPECT_EQ(1, decoded.controlModeIndex);
    EXPECT_EQ(1920u, decoded.width);
    EXPECT_EQ(1080u, decoded.height);

    decoded = DecodeConfigRecord(StoredRecord(0xFF, 0x0000, 0xFFFF).bytes);
    EXPECT_EQ(1u, decoded.width);
    EXPECT_EQ(65536u, decoded.height);
    EXPECT_EQ(255, decoded.controlModeIndex);
}

TEST(ConfigRecord, DecodeIgnoresEveryOtherByte) {
    Encoded record = StoredRecord(0, 0x0280, 0x01E0, 0xFF);
    record.bytes[505] = 0; // as read from the adapter
    DecodedConfig decoded = DecodeConfigRecord(record.bytes);
    EXPECT_EQ(0, decoded.controlModeIndex);
    EXPECT_EQ(641u, decoded.width);
    EXPECT_EQ(481u, decoded.height);
}

TEST(ConfigRecord, EncodeDecodeEncodeIsIdentical) {
    for (int selection = -1; selection < kControlModeCount; ++selection) {
        Encoded first = Encode(selection, 2560, 1440);
        DecodedConfig decoded = DecodeConfigRecord(first.bytes);
        // A decoded index that names no entry comes back as no selection.
        int reselected =
            decoded.controlModeIndex < kControlModeCount ? decoded.controlModeIndex : -1;
        Encoded second = Encode(reselected, decoded.width, decoded.height);
        EXPECT_EQ(0, memcmp(first.bytes, second.bytes, kConfigRecordSize)) << selection;
    }
}

TEST(ConfigRecord, UnkeptFieldsAreZeroedOnTheNextBuild) {
    Encoded loaded = StoredRecord(2, 0x077F, 0x0437);
    loaded.bytes[17] = 3;
    loaded.bytes[18] = 2;
    loaded.bytes[21] = 1;
    DecodedConfig decoded = DecodeConfigRecord(loaded.bytes);
    Encoded rebuilt = Encode(decoded.controlModeIndex, decoded.width, decoded.height);
    for (int i = 17; i <= 21; ++i)
        EXPECT_EQ(0, rebuilt.bytes[i]) << "byte " << i;
}

} // namespace
