// Older systems lack the per-monitor functions; user32 is loaded already, so they are looked up
// there, and shcore, which Windows 8.1 and the first Windows 10 tell a monitor's figures
// through, comes from the system folder. The display's figures serve without them.
#include "window_dpi.h"

#include <shellscalingapi.h>

#include "app_state.h"
#include "system_library.h"

namespace {

HMODULE User32() {
    return GetModuleHandleA("user32.dll");
}

// The effective dots per inch of the monitor that holds most of the window; 0 when unknown.
UINT MonitorDpi(HWND window) {
    typedef HRESULT(WINAPI * MonitorDpiFunction)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);
    static HMODULE shcore;
    if (!shcore)
        shcore = LoadSystemLibrary("shcore.dll");
    MonitorDpiFunction dpiOf = FindSystemFunction<MonitorDpiFunction>(shcore, "GetDpiForMonitor");
    UINT x, y;
    if (!window || !dpiOf ||
        dpiOf(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), MDT_EFFECTIVE_DPI, &x, &y) !=
            S_OK)
        return 0;
    return y;
}

} // namespace

int WindowDpi(HWND window) {
    typedef UINT(WINAPI * DpiFunction)(HWND);
    DpiFunction dpiOf = FindSystemFunction<DpiFunction>(User32(), "GetDpiForWindow");
    if (UINT dpi = dpiOf ? dpiOf(window) : MonitorDpi(window))
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
