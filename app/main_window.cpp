// The main window procedure: a switch that hands each message to a small handler.
#include "app/app_state.h"
#include "app/device_commands.h"
#include "app/main_window.h"
#include "app/window_snap.h"
#include "config/config_file.h"
#include "res/resource.h"

namespace {

const int kDroppedListHeight = 256;
const int kClosedListHeight = 24;

void ResizeList(HWND list, int height) {
    RECT outer;
    GetWindowRect(list, &outer);
    SetWindowPos(list, nullptr, 0, 0, outer.right - outer.left, height,
                 SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void ControlCommand(WPARAM wParam, LPARAM lParam) {
    HWND source = reinterpret_cast<HWND>(lParam);
    if (source && source == mainControls.saveButton)
        SaveToDeviceCommand();
    else if (source && source == mainControls.readButton)
        ReadFromDeviceCommand();

    switch (HIWORD(wParam)) {
        case CBN_DROPDOWN:
            ResizeList(source, kDroppedListHeight);
            UpdateWindow(mainWindow);
            break;
        case CBN_CLOSEUP:
            ResizeList(source, kClosedListHeight);
            break;
        case CBN_SELCHANGE:
            if (source == mainControls.controlModeList && !writingSettings)
                configurationChanged = true;
            break;
        case EN_CHANGE:
            if ((LOWORD(wParam) == kXBoxId || LOWORD(wParam) == kYBoxId) && !writingSettings)
                configurationChanged = true;
            break;
    }
}

void Command(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
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
        default:
            ControlCommand(wParam, lParam);
            break;
    }
}

// Tab on the window itself enters the focus cycle at the list (Shift+Tab: at its other end).
void KeyDown(WPARAM key) {
    if (key != VK_TAB)
        return;
    bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    SetFocus(shift ? mainControls.readButton : mainControls.controlModeList);
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
        case WM_COMMAND:
            Command(wParam, lParam);
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
