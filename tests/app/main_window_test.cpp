// The main window's keyboard, mouse and controls, and start-up.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include <tuple>

#include "app_harness.h"
#include "app_state.h"
#include "config_record.h"
#include "resource.h"
#include "startup.h"

namespace {

class MainWindow : public WindowTest {};

TEST_F(MainWindow, TabShiftTabAndArrowsGoRoundTheCycle) {
    const MainControls& c = app.controls;
    const std::tuple<HWND, WORD, bool, HWND> steps[] = {
        {app.mainWindow, VK_TAB, false, c.controlModeList},
        {app.mainWindow, VK_TAB, true, c.readButton},
        {c.controlModeList, VK_TAB, false, c.saveButton},
        {c.readButton, VK_TAB, false, c.controlModeList},
        {c.controlModeList, VK_TAB, true, c.readButton},
        {c.saveButton, VK_RIGHT, false, c.readButton},
        {c.readButton, VK_LEFT, false, c.saveButton}};
    for (auto [from, key, shift, to] : steps) {
        SetFocus(from);
        PressKey(key, false, shift);
        EXPECT_EQ(to, GetFocus()) << key << " from " << WindowText(from);
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

// Wine has no Microsoft Sans Serif; a wider stand-in wraps the labels and cuts the list's entries.
TEST_F(MainWindow, EveryCaptionAndListEntryFitsItsControlInTheControlFont) {
    const MainControls& c = app.controls;
    HDC context = GetDC(app.mainWindow);
    SelectObject(context, app.controlFont);
    for (HWND control : {c.screenSizeCaption, c.xLabel, c.controlModeCaption, c.xSizeCaption,
                         c.ySizeCaption, c.saveButton, c.readButton}) {
        // Labels are single lines; the buttons wrap their text inside their edges.
        bool button = control == c.saveButton || control == c.readButton;
        RECT client, text = {};
        GetClientRect(control, &client);
        InflateRect(&client, button ? -4 : 0, button ? -2 : 0);
        text.right = client.right - client.left;
        std::string caption = WindowText(control);
        DrawTextA(context, caption.c_str(), -1, &text,
                  DT_CALCRECT | (button ? DT_WORDBREAK : DT_SINGLELINE));
        EXPECT_LE(text.right, client.right - client.left) << caption;
        EXPECT_LE(text.bottom, client.bottom - client.top) << caption;
    }
    // The selected entry shows between the list's edge and its drop-down button.
    COMBOBOXINFO list = {};
    list.cbSize = sizeof(list);
    ASSERT_TRUE(GetComboBoxInfo(c.controlModeList, &list));
    for (const char* name : kControlModeNames) {
        SIZE size;
        GetTextExtentPoint32A(context, name, lstrlenA(name), &size);
        EXPECT_LE(size.cx, list.rcItem.right - list.rcItem.left - 2) << name;
    }
    ReleaseDC(app.mainWindow, context);
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
    EXPECT_EQ(0, RunUtility(GetModuleHandleA(nullptr), SW_SHOW));
    EXPECT_EQ(
        "** The Tandemix was not found **\n\nBe sure the Tandemix KB/MOUSE port\nis connected "
        "to this computer's USB port\n\n(Not the Tandemix Com Port connector)",
        seen[0].text);
    EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), seen[0].icon);
    SimReset(SimulatedAdapter());
    ExpectWindows({});
    PostWhenMainWindowShown(WM_CLOSE, 0);
    EXPECT_EQ(0, RunUtility(GetModuleHandleA(nullptr), SW_SHOW));
    EXPECT_FALSE(IsWindow(app.mainWindow));
    EXPECT_EQ(1, SimCountCalls(SimulatedAdapter(), kSimCallClose));
}

} // namespace
