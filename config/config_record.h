// The 512-byte configuration image shared by the configuration file and the adapter: its layout
// and the pure rules that turn the adapter's settings into an image and back.
#pragma once

enum : int {
    kConfigRecordSize = 512,
    kDeviceImageSize = 32, // bytes 0-31 are the adapter's registers 0-31

    kControlModeOffset = 16,  // the Control Mode's index
    kMouseTargetXOffset = 24, // big-endian, width minus one
    kMouseTargetYOffset = 26, // big-endian, height minus one
    kFileMarkerOffset = 505,
    kFileMarker = 0x4C,
    // Every other byte is 0, also 17-21, where the adapter keeps settings the utility never sets.
};

// The Mouse Target Screen Sizes the adapter accepts, in pixels.
enum : unsigned int {
    kMinScreenWidth = 641,
    kMaxScreenWidth = 15361,
    kMinScreenHeight = 481,
    kMaxScreenHeight = 8641,
};

// Control Modes, in list order; the index is the value stored at kControlModeOffset, and any
// other value selects none.
enum : int { kControlModeCount = 3, kNoControlMode = 0xFF };
extern const char* const kControlModeNames[kControlModeCount];

struct ConfigSettings {
    int controlMode;     // 0-255: the Control Mode's index (kControlModeCount and up: none)
    unsigned int width;  // the Mouse Target Screen Size in pixels, stored minus one in 16 bits
    unsigned int height; // (1-65536 after decoding)
};

bool ScreenWidthAccepted(unsigned int width);
bool ScreenHeightAccepted(unsigned int height);

void EncodeConfigRecord(const ConfigSettings& settings, unsigned char record[kConfigRecordSize]);
ConfigSettings DecodeConfigRecord(const unsigned char record[kConfigRecordSize]);
