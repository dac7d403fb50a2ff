// The main window: its controls, layout, snapping, keyboard handling and command routing.
#pragma once

#include <windows.h>

// The control font, the boxes' font and the ten controls, from the main window's WM_CREATE.
void CreateControlFonts();
void DeleteControlFonts();
void CreateMainControls();
void LayoutControls();
void PlaceButtons();
// The two passes as every caller runs them: after a resize, New, Open, a device read, start-up.
void LayoutMainWindow();
// After a change of the window's dots per inch: a new control font, and every control at its
// new size and place.
void RescaleControls();
void SnapSizingRect(WPARAM edge, RECT* rect);
// Keeps the control with the focus (if any) as the one to give the focus back to.
void RememberFocusedControl();

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ButtonKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ComboKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK NumberBoxKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Tab or Shift+Tab pressed in `from`: the focus moves round the controls.
void TabFrom(HWND from);

void NewCommand();
void ExitCommand();
void AboutCommand();
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Closing by the close box or File > Exit: the unsaved-changes check, then the window goes.
// While a transfer runs the close waits for its end.
void CloseMainWindow();
