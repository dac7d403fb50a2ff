// The main window procedure: a switch that hands each message to a small handler.
#include "app_state.h"
#include "device_commands.h"
#include "file_commands.h"
#include "main_window.h"
#include "resource.h"
#include "settings_window.h"
#include "window_snap.h"

namespace {

const int kDroppedListHeight = 256;
const int kClosedListHeight = 24;

void ResizeList(int height) {
    RECT outer;
    GetWindowRect(app.controls.controlModeList, &outer);
    SetWindowPos(app.controls.controlModeList, nullptr, 0, 0, outer.right - outer.left, height,
                 SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// The window's own state first: the controls need its handle and font.
void Create(HWND window) {
    app.mainWindow = window;
    CreateControlFont();
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

// Tab on the window itself enters the focus cycle at the list (Shift+Tab: at its other end).
void KeyDown(WPARAM key) {
    if (key != VK_TAB)
        return;
    bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    SetFocus(shift ? app.controls.readButton : app.controls.controlModeList);
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
}

} // namespace

void SnapSizingRect(WPARAM edge, RECT* rect) {
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, TRUE);
    SnapRect snapped = {rect->left, rect->top, rect->right, rect->bottom};
    SnapWindowRect(static_cast<int>(edge), frame.right - frame.left, frame.bottom - frame.top,
                   &snapped);
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
                LayoutControls();
                PlaceButtons();
            }
            return 0;
        case WM_SIZING:
            SnapSizingRect(wParam, reinterpret_cast<RECT*>(lParam));
            return TRUE;
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window);
            return 0;
        case WM_KEYDOWN:
            KeyDown(wParam);
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
