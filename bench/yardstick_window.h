// The two yardstick window programs share their window and message loop; each says what it adds.
#pragma once

#include <windows.h>

extern const char kYardstickClass[]; // the class the start-up benchmark looks for
void PrepareYardstick();             // before the window class is registered
void AddYardstickControls(HWND window);
