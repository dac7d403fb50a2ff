// The ten child controls at their fixed client positions, and the keys that move the focus
// round the list and the two buttons.
#include "app/app_state.h"
#include "app/main_window.h"
#include "config/config_record.h"

namespace {

WNDPROC previousButtonProc;
WNDPROC previousComboProc;

const DWORD kLabelStyle = WS_CHILD | SS_CENTER;
const DWORD kButtonStyle = WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE;
const DWORD kComboStyle = WS_CHILD | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
const DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_NUMBER;
const UINT kMoveFlags = SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

HWND CreateControl(const char* className, const char* text, DWORD style, int x, int y, int width,
                   int height) {
    return CreateWindowExA(0, className, text, style, x, y, width, height, mainWindow, nullptr,
                           nullptr, nullptr);
}

void UseControlFont(HWND control) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont), 0);
}

HWND CreateLabel(int x, int y, int width, int height, const char* text) {
    HWND label = CreateControl("STATIC", text, kLabelStyle, x, y, width, height);
    UseControlFont(label);
    return label;
}

// In the 32-bit build SetWindowLongPtrA is SetWindowLongA with GWL_WNDPROC; the 64-bit build
// needs the pointer-sized call.
HWND CreateComboBox(int x, int y, int width, int height) {
    HWND list = CreateControl("COMBOBOX", "", kComboStyle, x, y, width, height);
    previousComboProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ComboKeyProc)));
    UseControlFont(list);
    return list;
}

HWND CreateButton(int x, int y, int width, int height, const char* text) {
    HWND button = CreateControl("BUTTON", text, kButtonStyle, x, y, width, height);
    previousButtonProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ButtonKeyProc)));
    UseControlFont(button);
    return button;
}

HWND CreateNumberBox(int x, int y, int id) {
    return CreateWindowExW(0, L"Edit", nullptr, kEditStyle, x, y, 50, 20, mainWindow,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

void MoveControl(HWND control, int x, int y) {
    SetWindowPos(control, nullptr, x, y, 0, 0, kMoveFlags);
}

void MoveLabel(HWND label, int x, int y) {
    InvalidateRect(label, nullptr, FALSE);
    MoveControl(label, x, y);
}

void MoveAndShowButtons() {
    MoveControl(mainControls.saveButton, 128, 120);
    ShowWindow(mainControls.saveButton, SW_SHOW);
    MoveControl(mainControls.readButton, 387, 120);
    ShowWindow(mainControls.readButton, SW_SHOW);
}

bool ShiftHeld() {
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

// The focus cycle: list -> Save -> Read -> list with Tab, the other way with Shift+Tab.
// Left and Right step between the buttons, Up goes to Save and Down to Read.
HWND NextFocusFromButton(HWND button, WPARAM key) {
    bool onSave = button == mainControls.saveButton;
    switch (key) {
        case VK_TAB:
            if (ShiftHeld())
                return onSave ? mainControls.controlModeList : mainControls.saveButton;
            return onSave ? mainControls.readButton : mainControls.controlModeList;
        case VK_LEFT:
        case VK_UP:
            return mainControls.saveButton;
        case VK_RIGHT:
        case VK_DOWN:
            return mainControls.readButton;
    }
    return nullptr;
}

} // namespace

void CreateMainControls() {
    mainControls.screenSizeCaption = CreateLabel(388, 8, 136, 16, "Mouse Target Screen Size");
    mainControls.xLabel = CreateLabel(445, 30, 20, 20, "X");
    mainControls.controlModeCaption = CreateLabel(150, 8, 96, 16, "Control Mode");
    mainControls.xSizeCaption = CreateLabel(390, 49, 50, 20, "X Size");
    mainControls.ySizeCaption = CreateLabel(470, 49, 50, 20, "Y Size");
    ShowWindow(mainControls.xLabel, SW_SHOW);
    ShowWindow(mainControls.controlModeCaption, SW_SHOW);
    ShowWindow(mainControls.xSizeCaption, SW_SHOW);
    ShowWindow(mainControls.ySizeCaption, SW_SHOW);

    mainControls.controlModeList = CreateComboBox(155, 26, 84, 256);
    for (int i = 0; i < kControlModeCount; ++i)
        SendMessageA(mainControls.controlModeList, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(kControlModeNames[i]));
    ShowWindow(mainControls.controlModeList, SW_SHOW);

    mainControls.saveButton = CreateButton(0, 0, 134, 48, "Save To Tandemix");
    mainControls.readButton = CreateButton(0, 0, 134, 48, "Read From Tandemix");
    mainControls.xBox = CreateNumberBox(390, 26, kXBoxId);
    mainControls.yBox = CreateNumberBox(470, 26, kYBoxId);
}

void LayoutControls() {
    MoveLabel(mainControls.screenSizeCaption, 388, 8);
    MoveLabel(mainControls.xLabel, 445, 30);
    MoveLabel(mainControls.controlModeCaption, 150, 8);
    MoveControl(mainControls.controlModeList, 155, 26);
    MoveLabel(mainControls.xSizeCaption, 390, 49);
    MoveLabel(mainControls.ySizeCaption, 470, 49);
    ShowWindow(mainControls.controlModeList, SW_SHOW);
    ShowWindow(mainControls.screenSizeCaption, SW_SHOW);
    ShowWindow(mainControls.xLabel, SW_SHOW);
    ShowWindow(mainControls.controlModeCaption, SW_SHOW);
    ShowWindow(mainControls.xSizeCaption, SW_SHOW);
    ShowWindow(mainControls.ySizeCaption, SW_SHOW);
    MoveAndShowButtons();
}

void PlaceButtons() {
    if (!mainWindow)
        return; // still inside its creation: a null handle would repaint the whole screen
    InvalidateRect(mainWindow, nullptr, TRUE);
    MoveAndShowButtons();
}

LRESULT CALLBACK ButtonKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) {
        if (wParam == VK_RETURN) {
            SendMessageA(window, BM_CLICK, 0, 0);
        } else if (HWND next = NextFocusFromButton(window, wParam)) {
            SetFocus(next);
        }
    }
    return CallWindowProcA(previousButtonProc, window, message, wParam, lParam);
}

LRESULT CALLBACK ComboKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_TAB)
        SetFocus(ShiftHeld() ? mainControls.readButton : mainControls.saveButton);
    return CallWindowProcA(previousComboProc, window, message, wParam, lParam);
}
