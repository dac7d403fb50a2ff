// A window program with the utility's manifest, common controls and ten child controls in the
// control font, and nothing else: the yardstick for what the utility adds to that at start-up.
#include "yardstick_window.h"

#include <commctrl.h>

#include "system_library.h"

namespace {

struct Control {
    const char* className;
    const char* text;
    DWORD style;
    int x, y, width, height;
};

const DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_CENTER;
const DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE;
const DWORD kDropDownList = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
const Control kControls[] = {
    {"STATIC", "Mouse Target Screen Size", kLabel, 388, 8, 136, 16},
    {"STATIC", "X", kLabel, 445, 30, 20, 20},
    {"STATIC", "Control Mode", kLabel, 150, 8, 96, 16},
    {"STATIC", "X Size", kLabel, 390, 49, 50, 20},
    {"STATIC", "Y Size", kLabel, 470, 49, 50, 20},
    {"BUTTON", "Save To Tandemix", kButton, 128, 120, 134, 48},
    {"BUTTON", "Read From Tandemix", kButton, 387, 120, 134, 48},
};
const Control kList = {"COMBOBOX", "", kDropDownList, 155, 26, 84, 256};
const char* const kListEntries[] = {"ASCII", "Ext ASCII", "Key Number"};
const int kBoxX[] = {390, 470};

HWND CreateInFont(HWND window, HFONT font, const Control& c) {
    HWND control = CreateWindowExA(0, c.className, c.text, c.style, c.x, c.y, c.width, c.height,
                                   window, nullptr, nullptr, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    return control;
}

} // namespace

const char kYardstickClass[] = "ControlsWindow";

// The library search narrowed and the common controls from the system folder, as in the utility.
void PrepareYardstick() {
    SearchOnlySystemFolder();
    typedef BOOL(WINAPI * InitFunction)(const INITCOMMONCONTROLSEX*);
    InitFunction init =
        FindSystemFunction<InitFunction>(LoadSystemLibrary("comctl32.dll"), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_STANDARD_CLASSES};
    if (init)
        init(&classes);
}

// 8.25 points Microsoft Sans Serif for all but the two edit boxes, which keep the system font.
void AddYardstickControls(HWND window) {
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(33, GetDeviceCaps(screen, LOGPIXELSY), 288);
    ReleaseDC(nullptr, screen);
    HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0,
                             "Microsoft Sans Serif");
    for (const Control& c : kControls)
        CreateInFont(window, font, c);
    HWND list = CreateInFont(window, font, kList);
    for (const char* entry : kListEntries)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    for (int x : kBoxX)
        CreateWindowExW(0, L"Edit", nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_NUMBER, x, 26,
                        50, 20, window, nullptr, nullptr, nullptr);
}
