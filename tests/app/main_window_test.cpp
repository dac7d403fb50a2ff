// The main window's keyboard, mouse and controls, and start-up.
#include <windows.h>

#include <gtest/gtest.h>
#include <oleacc.h>
#include <string.h>

#include <tuple>

#include "app_harness.h"
#include "app_state.h"
#include "config_record.h"
#include "dpi_scale.h"
#include "resource.h"
#include "startup.h"
#include "system_library.h"

namespace {

class MainWindow : public WindowTest {};

TEST_F(MainWindow, TabShiftTabAndArrowsGoRoundTheCycle) {
    const MainControls& c = app.controls;
    const std::tuple<HWND, WORD, bool, HWND> steps[] = {
        {app.mainWindow, VK_TAB, false, c.controlModeList},
        {app.mainWindow, VK_TAB, true, c.yBox},
        {c.controlModeList, VK_TAB, false, c.saveButton},
        {c.saveButton, VK_TAB, false, c.readButton},
        {c.readButton, VK_TAB, false, c.xBox},
        {c.xBox, VK_TAB, false, c.yBox},
        {c.yBox, VK_TAB, false, c.controlModeList},
        {c.controlModeList, VK_TAB, true, c.yBox},
        {c.xBox, VK_TAB, true, c.readButton},
        {c.saveButton, VK_RIGHT, false, c.readButton},
        {c.readButton, VK_LEFT, false, c.saveButton}};
    for (auto [from, key, shift, to] : steps) {
        SetFocus(from);
        PressKey(key, false, shift);
        EXPECT_EQ(to, GetFocus()) << key << " from " << WindowText(from);
    }
    PressKey(VK_RIGHT);
    PressKey(VK_TAB); // into the X box, whose number is then typed over
    PressKey('7');
    ExpectSettings(2, "7", "1080");
}

// As started at the display's dots per inch (the runner's TANDEMIX_TEST_DPI, else 96), then moved
// to a monitor of half as many again: the window, every control and the fonts scale with it.
TEST_F(MainWindow, TheLayoutAndTheFontScaleWithTheDotsPerInch) {
    char setting[8] = "96";
    GetEnvironmentVariableA("TANDEMIX_TEST_DPI", setting, sizeof(setting));
    int dpi = atoi(setting);
    RECT client;
    GetClientRect(app.mainWindow, &client);
    EXPECT_EQ(ScaleFrom96(625, dpi), client.right);
    EXPECT_EQ(ScaleFrom96(220, dpi), client.bottom);
    const MainControls& c = app.controls;
    // The boxes show the system font, at the display's dots per inch exactly as the system's own.
    LOGFONTA systemFont;
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof(systemFont), &systemFont);
    const int displayDpi = dpi;
    RECT before[10];
    for (int pass = 0; pass < 2; ++pass, dpi = dpi * 3 / 2) {
        LOGFONTA font;
        GetObjectA(app.controlFont, sizeof(font), &font);
        EXPECT_EQ(-MulDiv(33, dpi, 288), font.lfHeight) << dpi;
        for (HWND box : {c.xBox, c.yBox}) {
            LOGFONTA boxFont = {};
            GetObjectA(reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)),
                       sizeof(boxFont), &boxFont);
            EXPECT_EQ(MulDiv(systemFont.lfHeight, dpi, displayDpi), boxFont.lfHeight) << dpi;
            EXPECT_EQ(systemFont.lfWeight, boxFont.lfWeight);
            EXPECT_STREQ(systemFont.lfFaceName, boxFont.lfFaceName);
        }
        HWND child = GetWindow(app.mainWindow, GW_CHILD);
        for (int i = 0; i < 10; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, app.mainWindow, reinterpret_cast<POINT*>(&r), 2);
            if (pass == 0)
                before[i] = r;
            // The list's closed height follows its font, not the layout.
            const long seen[] = {r.left, r.top, r.right, child == c.controlModeList ? 0 : r.bottom},
                       was[] = {before[i].left, before[i].top, before[i].right,
                                child == c.controlModeList ? 0 : before[i].bottom};
            for (int k = 0; pass == 1 && k < 4; ++k)
                EXPECT_NEAR(was[k] * 3 / 2, seen[k], 2) << WindowText(child) << " " << k;
        }
        RECT proposed = {0, 0, 1200, 600};
        SendMessageA(app.mainWindow, WM_DPICHANGED, MAKEWPARAM(dpi * 3 / 2, dpi * 3 / 2),
                     reinterpret_cast<LPARAM>(&proposed));
    }
}

// A screen reader goes through the controls in z-order and names a box or a list after the label
// just above it; the layout and the list's drop-down keep that order. Wine names the list by its
// own text, so for the list the order alone is checked.
TEST_F(MainWindow, TheZOrderIsTheReadingOrderAndEachBoxIsNamedByItsLabel) {
    const MainControls& c = app.controls;
    SendMessageA(app.mainWindow, WM_SIZE, SIZE_RESTORED, 0);
    SendMessageA(c.controlModeList, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageA(c.controlModeList, CB_SHOWDROPDOWN, FALSE, 0);
    HWND child = GetWindow(app.mainWindow, GW_CHILD);
    for (HWND control :
         {c.controlModeCaption, c.controlModeList, c.screenSizeCaption, c.xSizeCaption, c.xBox,
          c.xLabel, c.ySizeCaption, c.yBox, c.saveButton, c.readButton}) {
        EXPECT_EQ(control, child) << WindowText(control) << " is " << WindowText(child);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    for (auto [box, name] : {std::pair{c.xBox, L"X Size"}, std::pair{c.yBox, L"Y Size"}}) {
        IAccessible* accessible = nullptr;
        ASSERT_EQ(S_OK, AccessibleObjectFromWindow(box, OBJID_CLIENT, __uuidof(IAccessible),
                                                   reinterpret_cast<void**>(&accessible)));
        VARIANT self = {}; // lVal 0: CHILDID_SELF
        self.vt = VT_I4;
        BSTR text = nullptr;
        accessible->get_accName(self, &text);
        EXPECT_STREQ(name, text);
        SysFreeString(text);
        accessible->Release();
    }
}

TEST_F(MainWindow, TypingMarksAChangeAndTheKeysReachTheirCommandsFromAnyControl) {
    SetFocus(app.controls.xBox);
    PressKey(VK_END);
    PressKey('5');
    ExpectWindows({{kAppCaption, IDNO}}); // New asks first
    PressKey('N', true);
    EXPECT_EQ(std::to_string(GetSystemMetrics(SM_CXSCREEN)), WindowText(app.controls.xBox));
    SetFocus(app.controls.controlModeList);
    PressKey(VK_DOWN);
    EXPECT_TRUE(app.configurationChanged);
    ExpectWindows({{kAppCaption, IDCANCEL}});
    PressKey('O', true);
    SetFocus(app.controls.readButton);
    ExpectWindows({{kAppCaption, IDNO}, {kAppCaption, IDOK}});
    PressKey(VK_RETURN);
    EXPECT_EQ("The configuration was successfully read from the Tandemix", seen[1].text);
}

// The distribution-disc check with a volume label of the test's choosing (null: no volume).
const char* fakeLabel;
BOOL WINAPI FakeVolumeQuery(LPCSTR, LPSTR label, DWORD size, LPDWORD, LPDWORD, LPDWORD, LPSTR,
                            DWORD) {
    lstrcpynA(label, fakeLabel ? fakeLabel : "", static_cast<int>(size));
    return fakeLabel != nullptr;
}

TEST(StartUp, OnlyADiscLabelledExactlyTandemixGetsTheWarning) {
    queryVolumeInformation = FakeVolumeQuery;
    for (const char* label : {"Tandemix", "tandemix", "Tandemix ", "", (const char*)nullptr}) {
        fakeLabel = label;
        if (label && strcmp(label, "Tandemix") == 0)
            ExpectWindows({{kAppCaption, IDOK}});
        WarnIfRunFromDistributionDisc();
        ExpectWindows({});
    }
    queryVolumeInformation = GetVolumeInformationA;
}

TEST(StartUp, WithoutAnAdapterOnlyTheNotFoundBoxShowsAndWithOneTheWindowDoes) {
    SimReset(SimulatedAdapter());
    SimulatedAdapter()->faults.absent = true;
    ExpectWindows({{kAppCaption, IDOK}});
    EXPECT_EQ(0, RunUtility(GetModuleHandleA(nullptr), L"Tandemix.exe", SW_SHOW));
    EXPECT_EQ(
        "** The Tandemix was not found **\n\nBe sure the Tandemix KB/MOUSE port\nis connected "
        "to this computer's USB port\n\n(Not the Tandemix Com Port connector)",
        seen[0].text);
    EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), seen[0].icon);
    SimReset(SimulatedAdapter());
    ExpectWindows({{kAppCaption, IDOK}}); // the command line's file, once the window shows
    PostWhenMainWindowShown(WM_CLOSE, 0);
    EXPECT_EQ(0, RunUtility(GetModuleHandleA(nullptr),
                            L"\"Z:\\Tan dem\\Tandemix.exe\" \"Z:\\no such file\" ", SW_SHOW));
    EXPECT_EQ("Error opening the file", seen[0].text);
    EXPECT_FALSE(IsWindow(app.mainWindow));
    EXPECT_EQ(1, SimCountCalls(SimulatedAdapter(), kSimCallClose));
}

// Once the programs' start has narrowed the search, a library loaded by name no longer comes
// from the program's folder, where a planted one sits beside this test program.
TEST(StartUp, LibrariesLoadedByNameAreNotTakenFromTheProgramsFolder) {
    HMODULE planted = LoadLibraryA("planted.dll");
    ASSERT_NE(nullptr, planted) << "no planted.dll beside the test program";
    FreeLibrary(planted);
    SearchOnlySystemFolder();
    EXPECT_EQ(nullptr, LoadLibraryA("planted.dll"));
}

// The system refuses the main window (as when it is out of resources), here through a hook.
LRESULT CALLBACK RefuseMainWindow(int code, WPARAM wParam, LPARAM lParam) {
    const char* name = code == HCBT_CREATEWND
                           ? reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->lpszClass
                           : nullptr;
    if (HIWORD(name) && strcmp(name, "TandemixloadClass") == 0)
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

const WPARAM kStillWaiting = 77;

void CALLBACK EndWaitingLoop(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(kStillWaiting);
}

TEST(StartUp, AMainWindowThatCannotBeMadeEndsTheProgramWithAnError) {
    SimReset(SimulatedAdapter());
    app = AppState{};
    HHOOK refusal = SetWindowsHookExA(WH_CBT, RefuseMainWindow, nullptr, GetCurrentThreadId());
    UINT_PTR timer = SetTimer(nullptr, 0, 2000, EndWaitingLoop); // a loop that nothing would end
    int exitCode = RunUtility(GetModuleHandleA(nullptr), L"Tandemix.exe", SW_SHOW);
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(refusal);
    EXPECT_EQ(kExitNoMainWindow, exitCode);
    EXPECT_FALSE(app.mainWindow);
}

} // namespace
