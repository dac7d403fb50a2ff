// Encoding and decoding of the configuration image.
#include "config_record.h"

#include <string.h>

const char* const kControlModeNames[kControlModeCount] = {"ASCII", "Ext ASCII", "Key Number"};

namespace {

// Sizes are stored minus one, wrapping at 16 bits.
void PutStoredSize(unsigned char* at, unsigned int size) {
    unsigned int stored = size - 1u;
    at[0] = static_cast<unsigned char>((stored >> 8) & 0xFF);
    at[1] = static_cast<unsigned char>(stored & 0xFF);
}

unsigned int GetStoredSize(const unsigned char* at) {
    return static_cast<unsigned int>(at[0]) * 256u + at[1] + 1u;
}

} // namespace

bool ScreenWidthAccepted(unsigned int width) {
    return width >= kMinScreenWidth && width <= kMaxScreenWidth;
}

bool ScreenHeightAccepted(unsigned int height) {
    return height >= kMinScreenHeight && height <= kMaxScreenHeight;
}

void EncodeConfigRecord(const ConfigSettings& settings, unsigned char record[kConfigRecordSize]) {
    memset(record, 0, kConfigRecordSize);
    record[kControlModeOffset] = static_cast<unsigned char>(settings.controlMode & 0xFF);
    PutStoredSize(record + kMouseTargetXOffset, settings.width);
    PutStoredSize(record + kMouseTargetYOffset, settings.height);
    record[kFileMarkerOffset] = kFileMarker;
}

ConfigSettings DecodeConfigRecord(const unsigned char record[kConfigRecordSize]) {
    ConfigSettings settings;
    settings.controlMode = record[kControlModeOffset];
    settings.width = GetStoredSize(record + kMouseTargetXOffset);
    settings.height = GetStoredSize(record + kMouseTargetYOffset);
    return settings;
}
