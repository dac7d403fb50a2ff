// The main window procedure: a switch that hands each message to a small handler.
#include "app_state.h"
#include "device_commands.h"
#include "file_commands.h"
#include "main_window.h"
#include "outside_files.h"
#include "resource.h"
#include "settings_window.h"
#include "system_library.h"
#include "window_dpi.h"
#include "window_snap.h"

namespace {

const int kDroppedListHeight = 256;
const int kClosedListHeight = 24;

void ResizeList(int height) {
    RECT outer;
    GetWindowRect(app.controls.controlModeList, &outer);
    SetWindowPos(app.controls.controlModeList, nullptr, 0, 0, outer.right - outer.left,
                 Scaled(height), SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
}

// Explorer runs at a lower integrity level than an elevated utility, whose window would then
// never see a drop: its messages (0x0049 the one that carries the file list) are let through.
// Windows before 7 lack the call and filter nothing.
void AcceptDropsFromExplorer(HWND window) {
    typedef BOOL(WINAPI * FilterFunction)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
    FilterFunction allow = FindSystemFunction<FilterFunction>(GetModuleHandleA("user32.dll"),
                                                              "ChangeWindowMessageFilterEx");
    if (!allow)
        return;
    const UINT kDropMessages[] = {WM_DROPFILES, WM_COPYDATA, 0x0049};
    for (UINT message : kDropMessages)
        allow(window, message, MSGFLT_ALLOW, nullptr);
}

// The window's own state first: the controls need its handle and font.
void Create(HWND window) {
    app.mainWindow = window;
    AcceptDropsFromExplorer(window);
    app.dpi = WindowDpi(window);
    CreateControlFonts();
    CreateMainControls();
    ShowScreenSize();
}

void ListNotification(WORD code) {
    switch (code) {
        case CBN_DROPDOWN:
            ResizeList(kDroppedListHeight);
            UpdateWindow(app.mainWindow);
            break;
        case CBN_CLOSEUP:
            ResizeList(kClosedListHeight);
            break;
        case CBN_SELCHANGE:
            MarkConfigurationChanged();
            break;
    }
}

void Command(WORD id, WORD code) {
    switch (id) {
        case IDM_FILE_NEW:
            if (!RefusedDuringTransfer())
                NewCommand();
            break;
        case IDM_FILE_SAVE:
            if (!RefusedDuringTransfer())
                SaveConfigFile();
            break;
        case IDM_FILE_OPEN:
            if (!RefusedDuringTransfer())
                OpenConfigFile();
            break;
        case IDM_FILE_EXIT:
            ExitCommand();
            break;
        case IDM_HELP_ABOUT:
            AboutCommand();
            break;
        case IDC_SAVE_TO_DEVICE:
            if (code == BN_CLICKED)
                SaveToDeviceCommand();
            break;
        case IDC_READ_FROM_DEVICE:
            if (code == BN_CLICKED)
                ReadFromDeviceCommand();
            break;
        case IDC_CONTROL_MODE:
            ListNotification(code);
            break;
        case IDC_X_SIZE:
        case IDC_Y_SIZE:
            if (code == EN_CHANGE)
                MarkConfigurationChanged();
            break;
    }
}

// Tab on the window itself enters the focus cycle.
void KeyDown(WPARAM key) {
    if (key == VK_TAB)
        TabFrom(app.mainWindow);
}

// The default handling gives the focus to the window itself at every activation, so a message
// box or another program would lose the user's place in the controls.
bool Activate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocusedControl();
        return false;
    }
    if (HIWORD(wParam) || !app.focusedControl || !IsWindowEnabled(app.focusedControl))
        return false;
    SetFocus(app.focusedControl);
    return true;
}

// The window moved to a monitor of other dots per inch; the system proposes its new rectangle.
void DpiChanged(WORD dpi, const RECT* proposed) {
    app.dpi = dpi;
    RescaleControls();
    SetWindowPos(app.mainWindow, nullptr, proposed->left, proposed->top,
                 proposed->right - proposed->left, proposed->bottom - proposed->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
}

} // namespace

void RememberFocusedControl() {
    // Disabling a control takes the focus from it: there is then nothing new to remember.
    if (HWND focus = GetFocus())
        app.focusedControl = IsChild(app.mainWindow, focus) ? focus : nullptr;
}

void SnapSizingRect(WPARAM edge, RECT* rect) {
    RECT frame = {0, 0, 0, 0};
    AdjustMainWindowRect(&frame, app.dpi);
    SnapRect snapped = {rect->left, rect->top, rect->right, rect->bottom};
    SnapWindowRect(static_cast<int>(edge), frame.right - frame.left, frame.bottom - frame.top,
                   app.dpi, &snapped);
    rect->left = snapped.left;
    rect->top = snapped.top;
    rect->right = snapped.right;
    rect->bottom = snapped.bottom;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            Create(window);
            return 0;
        case WM_COMMAND:
            Command(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) {
                LayoutMainWindow();
            }
            return 0;
        case WM_SIZING:
            SnapSizingRect(wParam, reinterpret_cast<RECT*>(lParam));
            return TRUE;
        case WM_ACTIVATE:
            if (Activate(wParam))
                return 0;
            break;
        case WM_DPICHANGED:
            DpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window);
            return 0;
        case WM_KEYDOWN:
            KeyDown(wParam);
            return 0;
        case WM_DROPFILES:
            OpenDroppedFile(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_CLOSE:
            CloseMainWindow();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
