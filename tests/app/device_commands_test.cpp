// Save To Tandemix and Read From Tandemix against the simulated adapter: progress, settling,
// results, and what a user can do while a transfer runs.
#include <windows.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "ctl_commands.h"
#include "device_commands.h"
#include "file_replace.h"
#include "outside_files.h"
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
    void Click(HWND button, const std::vector<Answer>& answers) {
        ExpectWindows(answers);
        firstOpen = 0;
        SendMessageA(button, BM_CLICK, 0, 0);
    }
    SimAdapter* adapter = SimulatedAdapter();
    HHOOK hook;
};

// A write commits the window's settings and neither asks about nor clears unsaved changes; a read
// asks first, and only one that replaced the settings clears the flag.
TEST_F(DeviceCommands, AWriteCommitsTheWindowsSettingsAndAReadShowsTheAdapters) {
    MarkConfigurationChanged();
    Click(app.controls.saveButton, {{kAppCaption, IDOK}});
    EXPECT_EQ("The configuration was successfully saved to the Tandemix", seen[0].text);
    EXPECT_EQ(nullptr, seen[0].icon);
    ASSERT_EQ(32u, progressTexts.size()); // after each register, rounded down
    for (auto [n, percent] : {std::pair{0, 3}, {7, 25}, {8, 28}, {30, 96}, {31, 100}})
        EXPECT_EQ("Writing configuration - 100%\nWriting data - " + std::to_string(percent) + "%",
                  progressTexts[n]);
    EXPECT_EQ(1, adapter->commitCount);
    EXPECT_EQ(nullptr, app.progressWindow); // destroyed, not left hidden
    EXPECT_EQ(0, memcmp("\x02\0\0\0\0\0\0\0\x07\x7F\x04\x37", adapter->committed + 16, 12));
    ExpectSettings(2, "1920", "1080");
    EXPECT_TRUE(app.configurationChanged);

    memcpy(adapter->registers + 16, "\x01\0\0\0\0\0\0\0\x09\xFF\x05\x9F", 12);
    Click(app.controls.readButton, {{kAppCaption, IDCANCEL}});
    EXPECT_EQ(1, SimCountCalls(adapter, kSimCallOpen));
    adapter->faults.busy = true; // another of our programs is using it
    Click(app.controls.readButton, {{kAppCaption, IDNO}, {kAppCaption, IDOK}});
    EXPECT_EQ("The Tandemix is in use by another program.\n\nTry again when that program has "
              "finished with it.",
              seen[1].text);
    EXPECT_TRUE(app.configurationChanged);
    adapter->faults.busy = false;
    progressTexts.clear();
    DWORD start = GetTickCount();
    Click(app.controls.readButton, {{kAppCaption, IDNO}, {kAppCaption, IDOK}});
    EXPECT_EQ("The configuration was successfully read from the Tandemix", seen[1].text);
    EXPECT_GE(firstOpen - start, 100u); // the settling wait
    ExpectSettings(1, "2560", "1440");
    EXPECT_FALSE(app.configurationChanged);
    EXPECT_EQ("Reading configuration - 100%\nReading data - 50%", progressTexts.at(15));
}

// tandemixctl run in this process, its error line taken from stderr.
int RunCtlCapturingErrors(const std::vector<std::string>& arguments, std::string* errors) {
    std::wstring wide[12] = {L"tandemixctl"};
    wchar_t* argv[12] = {&wide[0][0]};
    for (size_t i = 0; i < arguments.size(); ++i)
        argv[i + 1] = &(wide[i + 1] = Widened(arguments[i]))[0];
    const std::string path = TestPath("ctl-errors.txt");
    int capture = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC, _S_IREAD | _S_IWRITE);
    int savedStderr = _dup(2);
    _dup2(capture, 2);
    int status = RunCtl(static_cast<int>(arguments.size()) + 1, argv);
    fflush(stderr);
    _dup2(savedStderr, 2);
    _close(savedStderr);
    _close(capture);
    *errors = FileBytes(path);
    return status;
}

int FailuresSoFar() {
    return testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
}

// Every fault at every exchange of the four transfers: the window's two commands and
// tandemixctl's write (without its verify, which reopens the adapter after the commit) and read.
// Each case shows its error, commits nothing, stops at the failed exchange, closes the adapter
// once, keeps the window's settings, its unsaved flag and the files, and ends within the
// shortened waits plus one time-out.
TEST_F(DeviceCommands, EveryFaultAtEveryExchangeIsReportedAndLosesNothing) {
    const char* const kTransfers[] = {"Save To Tandemix", "Read From Tandemix", "tandemixctl write",
                                      "tandemixctl read"};
    const char* const kFaults[] = {"fails", "is never answered", "meets a pulled-out adapter"};
    deviceSettleMs = 0;
    simAnswerTimeoutMs = 20;
    const std::string file = TestPath("matrix.TNX"), readFile = TestPath("read.TNX");
    std::string errors;
    ASSERT_EQ(0,
              RunCtlCapturingErrors({"make", "-m", "1", "-x", "800", "-y", "600", file}, &errors));
    int cases = 0, passed = 0;
    DWORD longest = 0;
    for (int transfer = 0; transfer < 4; ++transfer) {
        bool write = transfer % 2 == 0, fromWindow = transfer < 2;
        for (int fault = 0; fault < 3; ++fault) {
            for (int at = 1; at <= (write ? 34 : 32); ++at, ++cases) {
                SCOPED_TRACE(testing::Message() << "exchange " << at << " of "
                                                << kTransfers[transfer] << " " << kFaults[fault]);
                int failuresBefore = FailuresSoFar();
                SimReset(adapter);
                memcpy(adapter->registers + 16, "\x01\0\0\0\0\0\0\0\x09\xFF\x05\x9F", 12);
                int* faultAt[] = {&adapter->faults.failAtExchange,
                                  &adapter->faults.silentAtExchange,
                                  &adapter->faults.unplugAtExchange};
                *faultAt[fault] = at;
                CopyFileA(file.c_str(), readFile.c_str(), FALSE);
                bool changed = at % 2 == 1, asks = changed && !write; // a read asks first
                changed ? MarkConfigurationChanged() : MarkConfigurationUnchanged();
                progressTexts.clear();
                int registersDone = std::min(32, at - (write ? 2 : 1));
                DWORD start = GetTickCount();
                if (fromWindow) {
                    Click(write ? app.controls.saveButton : app.controls.readButton,
                          asks ? std::vector<Answer>{{kAppCaption, IDNO}, {kAppCaption, IDOK}}
                               : std::vector<Answer>{{kAppCaption, IDOK}});
                    EXPECT_EQ(write ? "Error while writing to the Tandemix"
                                    : "Error while reading from the Tandemix",
                              seen[asks].text);
                    EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), seen[asks].icon);
                    EXPECT_EQ(std::max(0, registersDone), int(progressTexts.size()));
                    ExpectSettings(2, "1920", "1080");
                    EXPECT_EQ(changed, app.configurationChanged);
                    EXPECT_TRUE(IsWindowEnabled(app.controls.xBox));
                } else {
                    EXPECT_EQ(kExitExchangeFailed,
                              write ? RunCtlCapturingErrors({"write", "--no-verify", file}, &errors)
                                    : RunCtlCapturingErrors({"read", "-o", readFile}, &errors));
                    bool atMarker = write && (at == 1 || at == 34);
                    EXPECT_EQ(0, errors.find("tandemixctl: register " +
                                             std::to_string(atMarker ? 511 : registersDone) + ": "))
                        << errors;
                    // A read's output file holds another configuration than the adapter's.
                    EXPECT_TRUE(write || FileBytes(file) == FileBytes(readFile))
                        << "a failed read changed its output file";
                }
                longest = std::max(longest, GetTickCount() - start);
                EXPECT_LT(GetTickCount() - start, 1000u) << "the shortened waits and a time-out";
                EXPECT_EQ(0, adapter->commitCount);
                EXPECT_EQ(at, SimCountCalls(adapter, kSimCallExchange)) << "went on after it";
                EXPECT_EQ(1, SimCountCalls(adapter, kSimCallClose));
                EXPECT_EQ(kSimCallClose, adapter->calls[adapter->callCount - 1].kind);
                passed += FailuresSoFar() == failuresBefore;
            }
        }
    }
    deviceSettleMs = 100;
    simAnswerTimeoutMs = 500;
    printf("fault matrix: %d cases, %d passed, longest %lu ms\n", cases, passed, longest);
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

// While a transfer runs, typing, clicks, the menu's commands and a quit start nothing else: the
// write commits the settings as they were, the quit ends it without a result box, and the focus
// is back where the click put it.
TEST_F(DeviceCommands, DuringATransferNothingElseStartsAndAQuitWaitsForItsEnd) {
    MarkConfigurationChanged(); // New and Open would ask, if they ran
    atProgress = [](int count) {
        if (count == 5) {
            ClickControl(app.controls.xBox);
            for (int key : {VK_BACK, VK_BACK, VK_BACK, VK_BACK, int('8'), int('0'), int('0')})
                PressKey(WORD(key));
        }
        PostMessageA(app.controls.readButton, BM_CLICK, 0, 0);
        PostMessageA(app.controls.saveButton, BM_CLICK, 0, 0);
        for (int command : {IDM_FILE_NEW, IDM_FILE_OPEN, IDM_FILE_SAVE})
            PostMessageA(app.mainWindow, WM_COMMAND, command, 0);
        if (count == 10)
            PostQuitMessage(7);
    };
    Click(app.controls.saveButton, {});
    EXPECT_EQ(1, SimCountCalls(adapter, kSimCallOpen));
    EXPECT_EQ(1, adapter->commitCount);
    EXPECT_EQ(0, memcmp("\x07\x7F", adapter->committed + 24, 2));
    ExpectSettings(2, "1920", "1080");
    EXPECT_EQ(app.controls.saveButton, GetFocus());
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
    EXPECT_EQ(0,
              RunUtility(GetModuleHandleA(nullptr), L"Tandemix.exe", SW_SHOW)); // and no result box
    EXPECT_EQ(32u, progressTexts.size());
    EXPECT_EQ(1, adapter->commitCount);
    EXPECT_FALSE(IsWindow(app.mainWindow));
}

// Another program (a virus scanner, the search indexer) holds a file for 200 ms, then lets go.
DWORD WINAPI LetGoAfter200Ms(void* handle) {
    Sleep(200);
    CloseHandle(handle);
    return 0;
}

// tandemixctl saves through the utility's own file code: a brief hold on the new file or on the
// old one is waited out, and a path of more than 300 characters saves, is saved over and opens
// again in both.
TEST_F(DeviceCommands, SavesWaitOutABriefHoldAndTakeNamesOfAnyLength) {
    const std::string target = TestPath("held.TNX"), temporary = target + ".tandemix-new";
    std::string errors;
    for (const std::string& held : {temporary, target}) {
        SCOPED_TRACE(held);
        HANDLE handle =
            CreateFileW(Widened(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        HANDLE letGo = CreateThread(nullptr, 0, LetGoAfter200Ms, handle, 0, nullptr);
        EXPECT_EQ(0, RunCtlCapturingErrors({"make", "-m", "1", "-x", "800", "-y", "600", target},
                                           &errors))
            << errors;
        WaitForSingleObject(letGo, INFINITE); // each hold is over before the next
        CloseHandle(letGo);
    }
    unsigned char record[kConfigRecordSize] = {};
    // Stopped (Ctrl+C, say) before the file is replaced, or before one is written in place.
    for (const std::string& kept : {target, TestPath("config.tnx", "sealed")}) {
        const std::string before = FileBytes(kept);
        EXPECT_TRUE(kept.empty() ||
                    kConfigFileAbandoned == WriteConfigFile(Widened(kept).c_str(), record, nullptr,
                                                            0, [] { return false; }));
        EXPECT_EQ(before, FileBytes(kept));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(temporary.c_str()));
    std::wstring folders[3];
    std::string path = TestPath("");
    for (int i = 0; i < 3; ++i) {
        path += std::string(100, static_cast<char>('a' + i)) + "\\";
        folders[i] = L"\\\\?\\" + Widened(path);
        CreateDirectoryW(folders[i].c_str(), nullptr);
    }
    path += "long.TNX";
    EXPECT_EQ(0,
              RunCtlCapturingErrors({"make", "-m", "0", "-x", "800", "-y", "600", path}, &errors))
        << errors;
    EXPECT_EQ(0, RunCtlCapturingErrors({"show", path}, &errors)) << errors;
    EXPECT_EQ(0,
              RunCtlCapturingErrors({"make", "-m", "1", "-x", "1280", "-y", "1024", path}, &errors))
        << errors; // replaces it
    OpenCommandLineFile((L"Tandemix.exe \"" + Widened(path) + L"\"").c_str());
    ExpectSettings(1, "1280", "1024");
    EXPECT_TRUE(DeleteFileW((L"\\\\?\\" + Widened(path)).c_str()));
    for (int i = 2; i >= 0; --i)
        RemoveDirectoryW(folders[i].c_str());
}

// Names in every form the programs meet, each in the one form every wide call takes.
TEST(FileNames, EveryNameIsTakenInItsExtendedLengthForm) {
    const std::wstring deep = std::wstring(150, L'd') + L"\\" + std::wstring(150, L'e');
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\a\\x.TNX", L"\\\\?\\C:\\a\\x.TNX"},
        {L"C:/a/b/../x.TNX", L"\\\\?\\C:\\a\\x.TNX"},
        {L"\\\\server\\share\\x.TNX", L"\\\\?\\UNC\\server\\share\\x.TNX"},
        {L"\\\\?\\C:\\x.TNX", L"\\\\?\\C:\\x.TNX"},
        {L"C:\\" + deep, L"\\\\?\\C:\\" + deep},
        {L"C:/" + deep, L"\\\\?\\C:\\" + deep},
        {L"\\\\server\\share\\" + deep, L"\\\\?\\UNC\\server\\share\\" + deep},
    };
    for (const auto& [name, extended] : cases) {
        wchar_t form[2 * kConfigFilePathSize];
        EXPECT_TRUE(ExtendedLengthPath(name.c_str(), form, 2 * kConfigFilePathSize));
        EXPECT_EQ(extended, form);
    }
}

} // namespace
