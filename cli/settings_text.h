// The settings of a configuration record as tandemixctl prints them.
#pragma once

#include "config_record.h"

enum : int { kSettingsTextSize = 160 };

// Two lines ("control mode: ...", "screen size: W x H"), or one JSON object; both end in a
// newline.
void FormatSettings(const unsigned char record[kConfigRecordSize], bool json,
                    char text[kSettingsTextSize]);
