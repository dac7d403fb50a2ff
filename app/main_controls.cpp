// The ten child controls, made from one table at their fixed client positions, and the keys
// that move the focus round them.
#include "app_state.h"
#include "config_record.h"
#include "main_window.h"
#include "resource.h"
#include "window_dpi.h"

namespace {

enum ControlKind { kLabel, kList, kButton, kNumberBox };

struct ControlSpec {
    HWND MainControls::*handle;
    ControlKind kind;
    const char* text;
    int x, y, width, height; // the buttons are created at (0, 0) and placed there later
    int id;
};

// In reading order, which is their z-order: a screen reader names a box or list after the
// label just before it in z-order, so "Control Mode", "X Size" and "Y Size" each come right
// before theirs.
const ControlSpec kControls[] = {
    {&MainControls::controlModeCaption, kLabel, "Control Mode", 150, 8, 96, 16, 0},
    {&MainControls::controlModeList, kList, "", 155, 26, 84, 256, IDC_CONTROL_MODE},
    {&MainControls::screenSizeCaption, kLabel, "Mouse Target Screen Size", 388, 8, 136, 16, 0},
    {&MainControls::xSizeCaption, kLabel, "X Size", 390, 49, 50, 20, 0},
    {&MainControls::xBox, kNumberBox, nullptr, 390, 26, 50, 20, IDC_X_SIZE},
    {&MainControls::xLabel, kLabel, "X", 445, 30, 20, 20, 0},
    {&MainControls::ySizeCaption, kLabel, "Y Size", 470, 49, 50, 20, 0},
    {&MainControls::yBox, kNumberBox, nullptr, 470, 26, 50, 20, IDC_Y_SIZE},
    {&MainControls::saveButton, kButton, "Save To Tandemix", 128, 120, 134, 48, IDC_SAVE_TO_DEVICE},
    {&MainControls::readButton, kButton, "Read From Tandemix", 387, 120, 134, 48,
     IDC_READ_FROM_DEVICE},
};

// Only the number boxes show at creation; the layout pass at start-up shows the others.
const DWORD kStyles[] = {
    WS_CHILD | SS_CENTER,                                  // kLabel
    WS_CHILD | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, // kList
    WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE,  // kButton
    WS_CHILD | WS_VISIBLE | WS_BORDER | ES_NUMBER,         // kNumberBox
};
const char* const kClassNames[] = {"STATIC", "COMBOBOX", "BUTTON"};
// Moves keep the z-order (without SWP_NOZORDER each control moved would go to the top).
const UINT kMoveFlags = SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER;

WNDPROC previousButtonProc;
WNDPROC previousComboProc;
WNDPROC previousNumberBoxProc;

HWND ControlHandle(const ControlSpec& spec) {
    return app.controls.*spec.handle;
}

HFONT FontOf(const ControlSpec& spec) {
    return spec.kind == kNumberBox ? app.numberFont : app.controlFont;
}

// The number boxes are wide-character edit controls in the system font at the window's dots per
// inch; the others use the control font, and the list and the buttons get their key handling.
HWND CreateControl(const ControlSpec& spec) {
    HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id));
    if (spec.kind == kNumberBox) {
        HWND box = CreateWindowExW(0, L"Edit", nullptr, kStyles[spec.kind], Scaled(spec.x),
                                   Scaled(spec.y), Scaled(spec.width), Scaled(spec.height),
                                   app.mainWindow, id, nullptr, nullptr);
        // The wide-character call keeps the box a Unicode window.
        previousNumberBoxProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NumberBoxKeyProc)));
        SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(spec)), 0);
        return box;
    }
    bool placedLater = spec.kind == kButton;
    HWND control = CreateWindowExA(0, kClassNames[spec.kind], spec.text, kStyles[spec.kind],
                                   placedLater ? 0 : Scaled(spec.x),
                                   placedLater ? 0 : Scaled(spec.y), Scaled(spec.width),
                                   Scaled(spec.height), app.mainWindow, id, nullptr, nullptr);
    // In the 32-bit build SetWindowLongPtrA is SetWindowLongA with GWL_WNDPROC.
    if (spec.kind != kLabel) {
        WNDPROC keyProc = spec.kind == kList ? ComboKeyProc : ButtonKeyProc;
        WNDPROC previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(keyProc)));
        (spec.kind == kList ? previousComboProc : previousButtonProc) = previous;
    }
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(spec)), 0);
    return control;
}

void MoveControl(const ControlSpec& spec) {
    SetWindowPos(ControlHandle(spec), nullptr, Scaled(spec.x), Scaled(spec.y), 0, 0, kMoveFlags);
}

void MoveAndShowButtons() {
    for (const ControlSpec& spec : kControls) {
        if (spec.kind != kButton)
            continue;
        MoveControl(spec);
        ShowWindow(ControlHandle(spec), SW_SHOW);
    }
}

bool ShiftHeld() {
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

// On a button, Left and Right step between the buttons, Up goes to Save and Down to Read.
HWND ArrowTarget(WPARAM key) {
    switch (key) {
        case VK_LEFT:
        case VK_UP:
            return app.controls.saveButton;
        case VK_RIGHT:
        case VK_DOWN:
            return app.controls.readButton;
    }
    return nullptr;
}

} // namespace

// Tab: list -> Save -> Read -> X -> Y -> list; Shift+Tab the other way. From a window outside
// the cycle (the main window itself) Tab enters at the list and Shift+Tab at the Y box. A box
// reached so has its number selected, to be typed over.
void TabFrom(HWND from) {
    bool backwards = ShiftHeld();
    const MainControls& c = app.controls;
    const HWND cycle[] = {c.controlModeList, c.saveButton, c.readButton, c.xBox, c.yBox};
    const int count = sizeof(cycle) / sizeof(cycle[0]);
    int at = backwards ? 0 : count - 1;
    for (int i = 0; i < count; ++i)
        if (cycle[i] == from)
            at = i;
    HWND next = cycle[(at + (backwards ? count - 1 : 1)) % count];
    SetFocus(next);
    if (next == c.xBox || next == c.yBox)
        SendMessageW(next, EM_SETSEL, 0, -1);
}

// The control font is 8.25 points: 33 quarter-points at the window's dots per inch. The boxes
// keep the system font that an edit box shows by default, which the system makes at the
// display's dots per inch: at the window's, it is made again from its description.
void CreateControlFonts() {
    int height = -MulDiv(33, app.dpi, 288);
    app.controlFont = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0,
                                  "Microsoft Sans Serif");
    LOGFONTA systemFont;
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof(systemFont), &systemFont);
    int displayDpi = WindowDpi(nullptr);
    systemFont.lfHeight = MulDiv(systemFont.lfHeight, app.dpi, displayDpi);
    systemFont.lfWidth = MulDiv(systemFont.lfWidth, app.dpi, displayDpi);
    app.numberFont = CreateFontIndirectA(&systemFont);
}

void DeleteControlFonts() {
    DeleteObject(app.controlFont);
    DeleteObject(app.numberFont);
    app.controlFont = app.numberFont = nullptr;
}

void CreateMainControls() {
    for (const ControlSpec& spec : kControls) {
        HWND control = CreateControl(spec);
        app.controls.*spec.handle = control;
        if (spec.kind == kList)
            for (const char* name : kControlModeNames)
                SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
}

void LayoutControls() {
    for (const ControlSpec& spec : kControls) {
        if (spec.kind != kLabel && spec.kind != kList)
            continue;
        if (spec.kind == kLabel)
            InvalidateRect(ControlHandle(spec), nullptr, FALSE);
        MoveControl(spec);
    }
    for (const ControlSpec& spec : kControls)
        if (spec.kind == kLabel || spec.kind == kList)
            ShowWindow(ControlHandle(spec), SW_SHOW);
    MoveAndShowButtons();
}

void RescaleControls() {
    HFONT previousFonts[] = {app.controlFont, app.numberFont};
    CreateControlFonts();
    for (const ControlSpec& spec : kControls) {
        SetWindowPos(ControlHandle(spec), nullptr, Scaled(spec.x), Scaled(spec.y),
                     Scaled(spec.width), Scaled(spec.height), kMoveFlags & ~SWP_NOSIZE);
        SendMessageA(ControlHandle(spec), WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(spec)), TRUE);
    }
    for (HFONT font : previousFonts)
        DeleteObject(font);
}

void PlaceButtons() {
    InvalidateRect(app.mainWindow, nullptr, TRUE);
    MoveAndShowButtons();
}

void LayoutMainWindow() {
    LayoutControls();
    PlaceButtons();
}

LRESULT CALLBACK ButtonKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) {
        if (wParam == VK_RETURN)
            SendMessageA(window, BM_CLICK, 0, 0);
        else if (wParam == VK_TAB)
            TabFrom(window);
        else if (HWND next = ArrowTarget(wParam))
            SetFocus(next);
    }
    return CallWindowProcA(previousButtonProc, window, message, wParam, lParam);
}

LRESULT CALLBACK ComboKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_TAB)
        TabFrom(window);
    return CallWindowProcA(previousComboProc, window, message, wParam, lParam);
}

// An edit box has no use for Tab: the key moves the focus, and its character is dropped.
LRESULT CALLBACK NumberBoxKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (wParam == VK_TAB && (message == WM_KEYDOWN || message == WM_CHAR)) {
        if (message == WM_KEYDOWN)
            TabFrom(window);
        return 0;
    }
    return CallWindowProcW(previousNumberBoxProc, window, message, wParam, lParam);
}
