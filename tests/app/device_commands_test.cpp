// Save To Tandemix and Read From Tandemix against the simulated adapter: progress, settling,
// results, and what a user can do while a transfer runs.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <tuple>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "resource.h"
#include "startup.h"

namespace {

std::vector<std::string> progressTexts;
void (*atProgress)(int count); // runs after each progress text
DWORD firstOpen;

LRESULT CALLBACK WatchProgress(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->message == WM_SETTEXT && GetDlgCtrlID(call->hwnd) == IDC_PROGRESS_TEXT) {
        progressTexts.push_back(reinterpret_cast<const char*>(call->lParam));
        if (atProgress)
            atProgress(static_cast<int>(progressTexts.size()));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class DeviceCommands : public WindowTest {
  protected:
    void SetUp() override {
        progressTexts.clear();
        atProgress = nullptr;
        hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchProgress, nullptr, GetCurrentThreadId());
        SimBeforeOpen = [](SimAdapter*) { firstOpen = firstOpen ? firstOpen : GetTickCount(); };
        WindowTest::SetUp();
    }
    void TearDown() override {
        WindowTest::TearDown();
        SimBeforeOpen = nullptr;
        UnhookWindowsHookEx(hook);
    }
    void Click(HWND button, std::initializer_list<Answer> answers) {
        ExpectWindows(answers);
        firstOpen = 0;
        SendMessageA(button, BM_CLICK, 0, 0);
    }
    SimAdapter* adapter = SimulatedAdapter();
    HHOOK hook;
};

TEST_F(DeviceCommands, AWriteCommitsTheWindowsSettingsAndAReadShowsTheAdapters) {
    Click(app.controls.saveButton, {{kAppCaption, IDOK}});
    EXPECT_EQ("The configuration was successfully saved to the Tandemix", seen[0].text);
    EXPECT_EQ(nullptr, seen[0].icon);
    ASSERT_EQ(32u, progressTexts.size());
    EXPECT_EQ("Writing configuration - 100%\nWriting data - 3%", progressTexts[0]);
    EXPECT_EQ(1, adapter->commitCount);
    EXPECT_EQ(nullptr, app.progressWindow); // destroyed, not left hidden
    EXPECT_EQ(0, memcmp("\x02\0\0\0\0\0\0\0\x07\x7F\x04\x37", adapter->committed + 16, 12));
    ExpectSettings(2, "1920", "1080");

    memcpy(adapter->registers + 16, "\x01\0\0\0\0\0\0\0\x09\xFF\x05\x9F", 12);
    progressTexts.clear();
    DWORD start = GetTickCount();
    Click(app.controls.readButton, {{kAppCaption, IDOK}});
    EXPECT_EQ("The configuration was successfully read from the Tandemix", seen[0].text);
    EXPECT_GE(firstOpen - start, 100u); // the settling wait
    ExpectSettings(1, "2560", "1440");
    EXPECT_EQ("Reading configuration - 100%\nReading data - 50%", progressTexts.at(15));
}

TEST_F(DeviceCommands, FailuresAreReportedAndChangeNothing) {
    // No adapter; another program in a transfer with it; exchange 17 of a write fails;
    // exchange 3 of a read is never answered.
    const std::tuple<SimFaults, bool, const char*> cases[] = {
        {{true, false, 0, 0, 0, 0, 0, false}, true, kNotFoundText},
        {{false, false, 0, 0, 0, 0, 0, true},
         false,
         "The Tandemix is in use by another program.\n\nTry again when that program has "
         "finished with it."},
        {{false, false, 17, 0, 0, 0, 0, false}, true, "Error while writing to the Tandemix"},
        {{false, false, 0, 3, 0, 0, 0, false}, false, "Error while reading from the Tandemix"}};
    for (auto [faults, write, text] : cases) {
        SimReset(adapter);
        adapter->faults = faults;
        Click(write ? app.controls.saveButton : app.controls.readButton, {{kAppCaption, IDOK}});
        EXPECT_EQ(text, seen[0].text);
        EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), seen[0].icon);
        EXPECT_EQ(0, adapter->commitCount);
        EXPECT_EQ(faults.failAtExchange + faults.silentAtExchange, adapter->exchangeCount)
            << "stops at the failed one";
        EXPECT_FALSE(adapter->open);
        ExpectSettings(2, "1920", "1080");
        EXPECT_TRUE(IsWindowEnabled(app.controls.xBox));
    }
}

TEST_F(DeviceCommands, DuringATransferTheSettingsTakeNoInputAndTheFocusComesBackAfterIt) {
    atProgress = [](int count) {
        if (count != 5)
            return;
        ClickControl(app.controls.xBox);
        for (int key : {VK_BACK, VK_BACK, VK_BACK, VK_BACK, int('8'), int('0'), int('0')})
            PressKey(WORD(key));
    };
    Click(app.controls.saveButton, {{kAppCaption, IDOK}});
    EXPECT_EQ("The configuration was successfully saved to the Tandemix", seen[0].text);
    ExpectSettings(2, "1920", "1080");
    EXPECT_EQ(0, memcmp("\x07\x7F", adapter->committed + 24, 2));
    EXPECT_EQ(app.controls.saveButton, GetFocus()) << "where the click put it";
}

TEST_F(DeviceCommands, AWriteNeedsAControlModeAndNamesEachSizeThatTheScreensWillReplace) {
    SendMessageA(app.controls.controlModeList, CB_SETCURSEL, WPARAM(-1), 0);
    Click(app.controls.saveButton, {{kAppCaption, IDOK}});
    EXPECT_EQ("Choose a Control Mode before saving to the Tandemix.", seen[0].text);
    EXPECT_EQ(app.controls.controlModeList, GetFocus());
    ShowSavedSettings(0, "125", "");
    Click(app.controls.saveButton, {{kAppCaption, IDOK}, {kAppCaption, IDCANCEL}});
    const std::string width = std::to_string(GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ("The X Size \"125\" is outside the accepted range, 641 to 15361.\n\nThe screen's "
              "width, " +
                  width + ", will be stored instead.",
              seen[0].text);
    EXPECT_EQ(0,
              seen[1].text.find("The Y Size (empty) is outside the accepted range, 481 to 8641"));
    EXPECT_EQ(app.controls.yBox, GetFocus());
    EXPECT_EQ(0, adapter->callCount);
    Click(app.controls.saveButton, {{kAppCaption, IDOK}, {kAppCaption, IDOK}, {kAppCaption, IDOK}});
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) - 1,
              adapter->committed[24] * 256 + adapter->committed[25]);
    ExpectSettings(0, "125", "");
}

TEST_F(DeviceCommands, AReadAsksAboutUnsavedChangesAndClearsTheFlagOnlyWhenItReplacedThem) {
    MarkConfigurationChanged();
    Click(app.controls.readButton, {{kAppCaption, IDCANCEL}});
    EXPECT_EQ(0, adapter->callCount);
    adapter->faults.absent = true;
    Click(app.controls.readButton, {{kAppCaption, IDNO}, {kAppCaption, IDOK}});
    EXPECT_TRUE(app.configurationChanged) << "the edits are still in the window";
    adapter->faults.absent = false;
    Click(app.controls.readButton, {{kAppCaption, IDNO}, {kAppCaption, IDOK}});
    EXPECT_FALSE(app.configurationChanged);
    MarkConfigurationChanged(); // a write neither asks nor clears (the read's 1 x 1 is replaced)
    Click(app.controls.saveButton, {{kAppCaption, IDOK}, {kAppCaption, IDOK}, {kAppCaption, IDOK}});
    EXPECT_TRUE(app.configurationChanged);
}

TEST_F(DeviceCommands, ClicksCommandsAndAQuitDuringATransferStartNothingElse) {
    MarkConfigurationChanged(); // New and Open would ask, if they ran
    atProgress = [](int count) {
        PostMessageA(app.controls.readButton, BM_CLICK, 0, 0);
        PostMessageA(app.controls.saveButton, BM_CLICK, 0, 0);
        for (int command : {IDM_FILE_NEW, IDM_FILE_OPEN, IDM_FILE_SAVE})
            PostMessageA(app.mainWindow, WM_COMMAND, command, 0);
        if (count == 10)
            PostQuitMessage(7);
    };
    Click(app.controls.saveButton, {}); // the quit ends it without a result box
    EXPECT_EQ(1, SimCountCalls(adapter, kSimCallOpen));
    EXPECT_EQ(1, adapter->commitCount);
    ExpectSettings(2, "1920", "1080");
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, message.wParam);
}

// Under the utility's own loop: a close during a write lets it commit and ends the program.
TEST_F(DeviceCommands, ClosingDuringAWriteLetsItCommitAndEndsTheProgram) {
    DestroyTestMainWindow();
    atProgress = [](int count) {
        if (count == 12)
            PostMessageA(app.mainWindow, WM_CLOSE, 0, 0);
    };
    PostWhenMainWindowShown(WM_COMMAND, IDC_SAVE_TO_DEVICE);
    EXPECT_EQ(0, RunUtility(GetModuleHandleA(nullptr), "", SW_SHOW)); // and no result box
    EXPECT_EQ(32u, progressTexts.size());
    EXPECT_EQ(1, adapter->commitCount);
    EXPECT_FALSE(IsWindow(app.mainWindow));
}

} // namespace
