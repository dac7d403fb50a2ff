// The smallest ordinary Win32 window program: the first yardstick for the utility's start-up.
#include "yardstick_window.h"

const char kYardstickClass[] = "MinimalWindow";

void PrepareYardstick() {}

void AddYardstickControls(HWND) {}
