// Older systems lack the per-monitor functions; user32 is loaded already, so they are looked up
// there and the display's figures serve without them.
#include "window_dpi.h"

#include "app_state.h"
#include "system_library.h"

namespace {

HMODULE User32() {
    return GetModuleHandleA("user32.dll");
}

} // namespace

int WindowDpi(HWND window) {
    typedef UINT(WINAPI * DpiFunction)(HWND);
    if (DpiFunction dpiOf = FindSystemFunction<DpiFunction>(User32(), "GetDpiForWindow"))
        if (UINT dpi = dpiOf(window))
            return static_cast<int>(dpi);
    HDC context = GetDC(window);
    int dpi = GetDeviceCaps(context, LOGPIXELSY);
    ReleaseDC(window, context);
    return dpi;
}

int Scaled(int pixels) {
    return static_cast<int>(ScaleFrom96(pixels, app.dpi));
}

void AdjustMainWindowRect(RECT* rect, int dpi) {
    typedef BOOL(WINAPI * AdjustFunction)(RECT*, DWORD, BOOL, DWORD, UINT);
    AdjustFunction adjust =
        FindSystemFunction<AdjustFunction>(User32(), "AdjustWindowRectExForDpi");
    if (!adjust || !adjust(rect, WS_OVERLAPPEDWINDOW, TRUE, 0, static_cast<UINT>(dpi)))
        AdjustWindowRect(rect, WS_OVERLAPPEDWINDOW, TRUE);
}
