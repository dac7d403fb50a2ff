// The main window: its controls, layout, snapping, keyboard handling and command routing.
#pragma once

#include <windows.h>

// The control font and the ten controls, from the main window's WM_CREATE.
void CreateControlFont();
void CreateMainControls();
void LayoutControls();
void PlaceButtons();
void SnapSizingRect(WPARAM edge, RECT* rect);

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ButtonKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ComboKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void NewCommand();
void ExitCommand();
void AboutCommand();
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Closing by the close box or File > Exit: the unsaved-changes check, then the window goes.
// While a transfer runs the close waits for its end.
void CloseMainWindow();
