// The sizes are printed as the utility shows them, and a mode byte that selects no entry shows
// as none with the byte itself.
#include "settings_text.h"

#include <stdio.h>

#include "arguments.h"

void FormatSettings(const unsigned char record[kConfigRecordSize], bool json,
                    char text[kSettingsTextSize]) {
    ConfigSettings settings = DecodeConfigRecord(record);
    bool known = settings.controlMode < kControlModeCount;
    if (json) {
        char mode[16] = "null";
        if (known)
            snprintf(mode, sizeof(mode), "\"%s\"", kControlModeKeywords[settings.controlMode]);
        snprintf(text, kSettingsTextSize,
                 "{\"control_mode\": %s, \"screen_width\": %u, \"screen_height\": %u}\n", mode,
                 settings.width, settings.height);
        return;
    }
    char mode[24];
    if (known)
        snprintf(mode, sizeof(mode), "%s", kControlModeNames[settings.controlMode]);
    else
        snprintf(mode, sizeof(mode), "none (0x%02X)", settings.controlMode);
    snprintf(text, kSettingsTextSize, "control mode: %s\nscreen size: %u x %u\n", mode,
             settings.width, settings.height);
}
