// Save To Tandemix and Read From Tandemix against the simulated adapter: progress texts, the
// progress window's life, the settling waits, the result boxes, and what a user can do while a
// transfer runs.
#include <windows.h>

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "app_state.h"
#include "startup.h"
#include "settings_window.h"
#include "resource.h"
#include "tests/app/app_harness.h"

namespace {

const char kCaption[] = "Tandemix Configuration Utility";
const int kWait = 8000;

// What the thread's windows did during a command, seen through window hooks.
struct Observed {
    std::vector<std::string> progressTexts;
    HWND progressWindow = nullptr;
    std::string progressTitle;
    DWORD progressExStyle = 0;
    DWORD progressStyle = 0;
    HWND progressOwner = nullptr;
    DWORD commandStart = 0;
    DWORD firstOpen = 0;
    DWORD progressDestroyed = 0;
    DWORD boxCreated = 0;
    void (*atProgress)(int count) = nullptr; // runs after each progress text
};
Observed observed;
HHOOK callHook;
HHOOK cbtHook;

LRESULT CALLBACK WatchCalls(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_SETTEXT &&
        GetDlgCtrlID(call->hwnd) == IDC_PROGRESS_TEXT) {
        HWND dialog = GetParent(call->hwnd);
        if (!observed.progressWindow) {
            observed.progressWindow = dialog;
            observed.progressTitle = WindowText(dialog);
            observed.progressStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
            observed.progressExStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
            observed.progressOwner = GetWindow(dialog, GW_OWNER);
        }
        observed.progressTexts.push_back(reinterpret_cast<const char*>(call->lParam));
        if (observed.atProgress)
            observed.atProgress(static_cast<int>(observed.progressTexts.size()));
    }
    return CallNextHookEx(callHook, code, wParam, lParam);
}

LRESULT CALLBACK WatchWindows(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_DESTROYWND && window == app.progressWindow && app.progressWindow)
        observed.progressDestroyed = GetTickCount();
    if (code == HCBT_ACTIVATE && !observed.boxCreated && WindowText(window) == kCaption) {
        char className[16] = "";
        GetClassNameA(window, className, sizeof(className));
        if (strcmp(className, "#32770") == 0)
            observed.boxCreated = GetTickCount();
    }
    return CallNextHookEx(cbtHook, code, wParam, lParam);
}

void RecordFirstOpen(SimAdapter*) {
    if (!observed.firstOpen)
        observed.firstOpen = GetTickCount();
}

std::string Progress(const char* verb, int data) {
    char text[96];
    sprintf(text, "%s configuration - 100%%\n%s data - %d%%", verb, verb, data);
    return text;
}

class DeviceCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateTestMainWindow();
        ShowTestMainWindow();
        observed = Observed();
        callHook = SetWindowsHookExA(WH_CALLWNDPROC, WatchCalls, nullptr, GetCurrentThreadId());
        cbtHook = SetWindowsHookExA(WH_CBT, WatchWindows, nullptr, GetCurrentThreadId());
        SimBeforeOpen = RecordFirstOpen;
    }
    void TearDown() override {
        SimBeforeOpen = nullptr;
        UnhookWindowsHookEx(callHook);
        UnhookWindowsHookEx(cbtHook);
        DestroyTestMainWindow();
    }

    // Clicks a device button and answers up to two windows; returns what was seen.
    ModalAnswerer* Click(HWND button, const Answer* answers, int count) {
        ModalAnswerer* answerer = new ModalAnswerer(answers, count);
        observed.commandStart = GetTickCount();
        SendMessageA(button, BM_CLICK, 0, 0);
        answerer->Finish();
        return answerer;
    }

    void ExpectSettings(int mode, const char* width, const char* height) {
        EXPECT_EQ(mode, SelectedControlMode());
        EXPECT_EQ(width, WindowText(app.controls.xBox));
        EXPECT_EQ(height, WindowText(app.controls.yBox));
    }

    SimAdapter* adapter() {
        return SimulatedAdapter();
    }
};

TEST_F(DeviceCommands, AWriteShowsItsProgressAndCommitsTheWindowsSettings) {
    ShowSavedSettings(2, "1920", "1080");
    const Answer answers[] = {{kCaption, IDOK, nullptr, 0, kWait}};
    ModalAnswerer* answerer = Click(app.controls.saveButton, answers, 1);
    ASSERT_TRUE(answerer->seen[0].found);
    EXPECT_EQ("The configuration was successfully saved to the Tandemix", answerer->seen[0].text);
    EXPECT_EQ(nullptr, answerer->seen[0].icon);
    EXPECT_EQ(app.mainWindow, answerer->seen[0].owner);
    delete answerer;

    const int percents[32] = {3,  6,  9,  12, 15, 18, 21, 25, 28, 31, 34, 37, 40, 43, 46, 50,
                              53, 56, 59, 62, 65, 68, 71, 75, 78, 81, 84, 87, 90, 93, 96, 100};
    ASSERT_EQ(32u, observed.progressTexts.size());
    for (int k = 0; k < 32; ++k)
        EXPECT_EQ(Progress("Writing", percents[k]), observed.progressTexts[k]) << k;
    EXPECT_EQ("Writing Tandemix", observed.progressTitle);
    EXPECT_TRUE(observed.progressExStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(observed.progressStyle & WS_SYSMENU);
    EXPECT_EQ(app.mainWindow, observed.progressOwner);
    EXPECT_FALSE(IsWindow(observed.progressWindow));
    EXPECT_EQ(nullptr, app.progressWindow);

    EXPECT_EQ(1, adapter()->commitCount);
    EXPECT_EQ(2, adapter()->committed[16]);
    EXPECT_EQ(0x07, adapter()->committed[24]);
    EXPECT_EQ(0x37, adapter()->committed[27]);
    ExpectSettings(2, "1920", "1080"); // a write never changes the window
}

TEST_F(DeviceCommands, EachTransferIsFramedByAtLeast100MsOfPumping) {
    const Answer answers[] = {{kCaption, IDOK, nullptr, 0, kWait}};
    delete Click(app.controls.readButton, answers, 1);
    ASSERT_NE(0u, observed.firstOpen);
    ASSERT_NE(0u, observed.progressDestroyed);
    ASSERT_NE(0u, observed.boxCreated);
    DWORD before = observed.firstOpen - observed.commandStart;
    DWORD after = observed.boxCreated - observed.progressDestroyed;
    printf("settling: %lu ms before the open, %lu ms after the progress window\n", before, after);
    // Only the lower bounds: how long a loaded machine takes is the benchmark's to show.
    EXPECT_GE(before, 100u);
    EXPECT_GE(after, 100u);
}

TEST_F(DeviceCommands, AReadShowsTheAdaptersValuesAndLaysTheWindowOut) {
    ShowSavedSettings(0, "800", "600");
    adapter()->registers[16] = 1;
    adapter()->registers[24] = 0x09;
    adapter()->registers[25] = 0xFF; // 2560
    adapter()->registers[26] = 0x05;
    adapter()->registers[27] = 0x9F; // 1440
    SetWindowPos(app.controls.readButton, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const Answer answers[] = {{kCaption, IDOK, nullptr, 0, kWait}};
    ModalAnswerer* answerer = Click(app.controls.readButton, answers, 1);
    EXPECT_EQ("The configuration was successfully read from the Tandemix", answerer->seen[0].text);
    delete answerer;
    ExpectSettings(1, "2560", "1440");
    EXPECT_EQ(387, ClientRectOf(app.controls.readButton).left);
    ASSERT_EQ(32u, observed.progressTexts.size());
    EXPECT_EQ(Progress("Reading", 3), observed.progressTexts[0]);
    EXPECT_EQ(Progress("Reading", 50), observed.progressTexts[15]);
    EXPECT_EQ("Reading Tandemix", observed.progressTitle);
    EXPECT_FALSE(app.configurationChanged);
}

TEST_F(DeviceCommands, NoAdapterGivesTheNotFoundBoxAndChangesNothing) {
    ShowSavedSettings(1, "1111", "777");
    adapter()->faults.absent = true;
    HWND buttons[] = {app.controls.saveButton, app.controls.readButton};
    for (HWND button : buttons) {
        const Answer answers[] = {{kCaption, IDOK, nullptr, 0, kWait}};
        ModalAnswerer* answerer = Click(button, answers, 1);
        EXPECT_EQ(kNotFoundText, answerer->seen[0].text);
        EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), answerer->seen[0].icon);
        delete answerer;
        ExpectSettings(1, "1111", "777");
        EXPECT_EQ(0u, observed.progressTexts.size());
        EXPECT_EQ(nullptr, app.progressWindow);
    }
}

TEST_F(DeviceCommands, AFailedExchangeIsReportedAndNothingIsCommittedOrShown) {
    ShowSavedSettings(1, "1111", "777");
    adapter()->faults.failAtExchange = 17;
    const Answer answers[] = {{kCaption, IDOK, nullptr, 0, kWait}};
    ModalAnswerer* answerer = Click(app.controls.saveButton, answers, 1);
    EXPECT_EQ("Error while writing to the Tandemix", answerer->seen[0].text);
    EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), answerer->seen[0].icon);
    delete answerer;
    EXPECT_EQ(0, adapter()->commitCount);
    EXPECT_EQ(15u, observed.progressTexts.size());
    EXPECT_FALSE(IsWindow(observed.progressWindow));

    adapter()->registers[16] = 2;
    adapter()->faults.failAtExchange = adapter()->exchangeCount + 20;
    answerer = Click(app.controls.readButton, answers, 1);
    EXPECT_EQ("Error while reading from the Tandemix", answerer->seen[0].text);
    delete answerer;
    ExpectSettings(1, "1111", "777");

    // An adapter that never answers: the library gives up, the command reports it.
    adapter()->faults.failAtExchange = 0;
    adapter()->faults.silentAtExchange = adapter()->exchangeCount + 3;
    answerer = Click(app.controls.readButton, answers, 1);
    EXPECT_EQ("Error while reading from the Tandemix", answerer->seen[0].text);
    delete answerer;
    ExpectSettings(1, "1111", "777");
}

TEST_F(DeviceCommands, ReadAsksAboutUnsavedChangesAndClearsTheFlag) {
    ShowSavedSettings(1, "1111", "777");
    app.configurationChanged = true;
    const Answer cancel[] = {{kCaption, IDCANCEL, nullptr, 0, kWait}};
    ModalAnswerer* answerer = Click(app.controls.readButton, cancel, 1);
    EXPECT_EQ("The current configuration has changed.\nDo you want to save the changes?",
              answerer->seen[0].text);
    delete answerer;
    EXPECT_EQ(0, adapter()->callCount);
    EXPECT_TRUE(app.configurationChanged);

    adapter()->faults.absent = true; // cleared whatever the result
    const Answer no[] = {{kCaption, IDNO, nullptr, 0, kWait}, {kCaption, IDOK, nullptr, 0, kWait}};
    answerer = Click(app.controls.readButton, no, 2);
    EXPECT_EQ(kNotFoundText, answerer->seen[1].text);
    delete answerer;
    EXPECT_FALSE(app.configurationChanged);

    app.configurationChanged = true; // a write neither asks nor clears
    adapter()->faults.absent = false;
    const Answer ok[] = {{kCaption, IDOK, nullptr, 0, kWait}};
    answerer = Click(app.controls.saveButton, ok, 1);
    EXPECT_EQ("The configuration was successfully saved to the Tandemix", answerer->seen[0].text);
    delete answerer;
    EXPECT_TRUE(app.configurationChanged);
}

// Everything a restless user can throw at the window while a transfer runs.
void ClickStorm(int count) {
    if (count % 4 != 1)
        return;
    PostMessageA(app.controls.readButton, BM_CLICK, 0, 0);
    PostMessageA(app.controls.saveButton, BM_CLICK, 0, 0);
    PostMessageA(app.mainWindow, WM_COMMAND, IDM_FILE_NEW, 0);
    PostMessageA(app.mainWindow, WM_COMMAND, IDM_FILE_OPEN, 0);
    PostMessageA(app.mainWindow, WM_COMMAND, IDM_FILE_SAVE, 0);
}

TEST_F(DeviceCommands, AClickStormDuringATransferStartsNothingElse) {
    ShowSavedSettings(2, "1920", "1080");
    app.configurationChanged = true; // New and Open would ask, if they ran
    adapter()->faults.latencyMs = 2;
    observed.atProgress = ClickStorm;
    const Answer answers[] = {{kCaption, IDOK, nullptr, 0, kWait},
                              {nullptr, IDCANCEL, nullptr, 0, 1000}};
    ModalAnswerer* answerer = Click(app.controls.saveButton, answers, 2);
    EXPECT_EQ("The configuration was successfully saved to the Tandemix", answerer->seen[0].text);
    EXPECT_FALSE(answerer->seen[1].found) << answerer->seen[1].title << answerer->seen[1].text;
    delete answerer;
    observed.atProgress = nullptr;
    PumpMessages(100);

    // One open-to-close span, one commit, and the window as it was.
    EXPECT_EQ(1, SimCountCalls(adapter(), kSimCallOpen));
    EXPECT_EQ(1, SimCountCalls(adapter(), kSimCallClose));
    EXPECT_EQ(kSimCallClose, adapter()->calls[adapter()->callCount - 1].kind);
    EXPECT_EQ(1, adapter()->commitCount);
    ExpectSettings(2, "1920", "1080");
    EXPECT_EQ(32u, observed.progressTexts.size());
}

void QuitFromElsewhere(int count) {
    if (count == 10)
        PostQuitMessage(7);
}

TEST_F(DeviceCommands, AQuitDuringATransferWaitsForItsEndAndIsPostedAgain) {
    observed.atProgress = QuitFromElsewhere;
    const Answer answers[] = {{kCaption, IDOK, nullptr, 0, 1500}};
    ModalAnswerer* answerer = Click(app.controls.saveButton, answers, 1);
    EXPECT_FALSE(answerer->seen[0].found); // no result box
    delete answerer;
    EXPECT_EQ(1, adapter()->commitCount);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, message.wParam);
}

// Closing during a write: the write commits, no box, and the utility's loop ends with 0.
DWORD closeCommand;
void CloseMidTransfer(int count) {
    if (count != 12)
        return;
    if (closeCommand == WM_CLOSE)
        PostMessageA(app.mainWindow, WM_CLOSE, 0, 0);
    else
        PostMessageA(app.mainWindow, WM_COMMAND, IDM_FILE_EXIT, 0);
}

TEST(DeviceCommandsClosing, ClosingDuringAWriteLetsItCommitAndEndsTheProgram) {
    const DWORD ways[] = {WM_CLOSE, IDM_FILE_EXIT};
    for (DWORD way : ways) {
        SimReset(SimulatedAdapter());
        observed = Observed();
        closeCommand = way;
        observed.atProgress = CloseMidTransfer;
        callHook = SetWindowsHookExA(WH_CALLWNDPROC, WatchCalls, nullptr, GetCurrentThreadId());
        DWORD uiThread = GetCurrentThreadId();
        bool boxSeen = false;
        std::thread user([&] {
            HWND window = nullptr;
            for (int i = 0; i < 500 && !window; ++i) {
                window = FindThreadWindow(uiThread, "TandemixloadClass", nullptr);
                Sleep(10);
            }
            if (window)
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_SAVE_TO_DEVICE, BN_CLICKED),
                             reinterpret_cast<LPARAM>(app.controls.saveButton));
            for (int i = 0; i < 150; ++i) {
                if (FindThreadWindow(uiThread, "#32770", kCaption)) {
                    boxSeen = true;
                    PostMessageA(FindThreadWindow(uiThread, "#32770", kCaption), WM_COMMAND, IDOK,
                                 0);
                }
                Sleep(10);
            }
        });
        int exitCode = RunUtility(GetModuleHandleA(nullptr), SW_SHOW);
        user.join();
        UnhookWindowsHookEx(callHook);
        EXPECT_EQ(0, exitCode) << way;
        EXPECT_FALSE(boxSeen) << way;
        EXPECT_EQ(32u, observed.progressTexts.size()) << way;
        EXPECT_EQ(1, SimulatedAdapter()->commitCount) << way;
        EXPECT_FALSE(IsWindow(app.mainWindow));
        observed.atProgress = nullptr;
    }
}

} // namespace
