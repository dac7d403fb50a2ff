// The main window's dots per inch: its layout, control font, snapping grid and drop-down heights
// are given at 96 and scaled to the window's, so they are the same at 96 on every system.
#pragma once

#include <windows.h>

#include "dpi_scale.h"

// The window's dots per inch: its monitor's where the system tells them (Windows 8.1 and
// later), otherwise the display's; the display's for no window.
int WindowDpi(HWND window);
// `pixels` at 96 dots per inch, at the main window's.
int Scaled(int pixels);
// Turns a client rectangle into the main window's outer rectangle at `dpi`.
void AdjustMainWindowRect(RECT* rect, int dpi);
