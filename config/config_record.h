// The 512-byte configuration image shared by the configuration file and the adapter: its layout
// and the pure rules that turn the window's settings into an image and back.
#pragma once

enum : int {
    kConfigRecordSize = 512,
    kDeviceImageSize = 32, // bytes 0-31 are the adapter's registers 0-31

    kControlModeOffset = 16, // index of the Control Mode entry; 0xFF for no selection
    kScreenSizePresetOffset = 17,
    kParityOffset = 18,
    kStopBitsOffset = 19,
    kHandshakeOffset = 20,
    kDataBitsOffset = 21,
    kMouseTargetXOffset = 24, // big-endian, width minus one
    kMouseTargetYOffset = 26, // big-endian, height minus one
    kFileMarkerOffset = 505,
    kFileMarker = 0x4C,
};

// Stored (shown minus one) sizes the adapter accepts; others are replaced by the screen's.
enum : unsigned int {
    kMinStoredWidth = 640,
    kMaxStoredWidth = 15360,
    kMinStoredHeight = 480,
    kMaxStoredHeight = 8640,
};

// Control Mode entries, in list order; the index is the value stored at kControlModeOffset.
enum : int { kControlModeCount = 3 };
extern const char* const kControlModeNames[kControlModeCount];

struct ConfigSettings {
    int controlModeSelection; // list selection index, -1 for none
    unsigned int widthEntry;  // the X box read as an unsigned number (0 for empty or no number)
    unsigned int heightEntry; // the Y box, likewise
};

struct DecodedConfig {
    int controlModeIndex; // 0-255: the entry to select (3-255 select none)
    unsigned int width;   // 1-65536, to show in the X box
    unsigned int height;  // 1-65536, to show in the Y box
};

// Whether the record keeps a size box's entry (as it would be read into widthEntry or
// heightEntry) rather than storing the screen's size in its place.
bool WidthEntryKept(unsigned int widthEntry);
bool HeightEntryKept(unsigned int heightEntry);

void EncodeConfigRecord(const ConfigSettings& settings, int screenWidth, int screenHeight,
                        unsigned char record[kConfigRecordSize]);
DecodedConfig DecodeConfigRecord(const unsigned char record[kConfigRecordSize]);
