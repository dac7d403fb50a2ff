// Encoding and decoding of the configuration image.
#include "config_record.h"

#include <string.h>

const char* const kControlModeNames[kControlModeCount] = {"ASCII", "Ext ASCII", "Key Number"};

namespace {

// The entry is stored minus one, wrapping, so an empty box gives the largest value.
bool EntryKept(unsigned int entry, unsigned int minimum, unsigned int maximum) {
    unsigned int stored = entry - 1u;
    return stored >= minimum && stored <= maximum;
}

// The entry minus one, or the screen's size minus one when the entry is not kept.
unsigned int StoredSize(unsigned int entry, unsigned int minimum, unsigned int maximum,
                        int screenSize) {
    return EntryKept(entry, minimum, maximum) ? entry - 1u
                                              : static_cast<unsigned int>(screenSize) - 1u;
}

void PutBigEndian16(unsigned char* at, unsigned int value) {
    at[0] = static_cast<unsigned char>((value >> 8) & 0xFF);
    at[1] = static_cast<unsigned char>(value & 0xFF);
}

unsigned int GetBigEndian16(const unsigned char* at) {
    return static_cast<unsigned int>(at[0]) * 256u + at[1];
}

} // namespace

bool WidthEntryKept(unsigned int widthEntry) {
    return EntryKept(widthEntry, kMinStoredWidth, kMaxStoredWidth);
}

bool HeightEntryKept(unsigned int heightEntry) {
    return EntryKept(heightEntry, kMinStoredHeight, kMaxStoredHeight);
}

void EncodeConfigRecord(const ConfigSettings& settings, int screenWidth, int screenHeight,
                        unsigned char record[kConfigRecordSize]) {
    memset(record, 0, kConfigRecordSize);
    record[kControlModeOffset] = static_cast<unsigned char>(settings.controlModeSelection & 0xFF);
    PutBigEndian16(record + kMouseTargetXOffset,
                   StoredSize(settings.widthEntry, kMinStoredWidth, kMaxStoredWidth, screenWidth));
    PutBigEndian16(record + kMouseTargetYOffset, StoredSize(settings.heightEntry, kMinStoredHeight,
                                                            kMaxStoredHeight, screenHeight));
    record[kFileMarkerOffset] = kFileMarker;
}

DecodedConfig DecodeConfigRecord(const unsigned char record[kConfigRecordSize]) {
    DecodedConfig decoded;
    decoded.controlModeIndex = record[kControlModeOffset];
    decoded.width = GetBigEndian16(record + kMouseTargetXOffset) + 1u;
    decoded.height = GetBigEndian16(record + kMouseTargetYOffset) + 1u;
    return decoded;
}
