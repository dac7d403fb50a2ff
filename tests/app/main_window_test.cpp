// The main window as start-up builds it: its controls, layout, snapping, keyboard and commands.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include "app_state.h"
#include "main_window.h"
#include "startup.h"
#include "settings_window.h"
#include "resource.h"
#include "tests/app/app_harness.h"

namespace {

class MainWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateTestMainWindow();
    }
    void TearDown() override {
        DestroyTestMainWindow();
    }
};

RECT Sizing(int edge, RECT rect) {
    SendMessageA(app.mainWindow, WM_SIZING, edge, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

TEST_F(MainWindow, ResizingSnapsToTheGrid) {
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, TRUE);
    long fw = frame.right - frame.left;
    long fh = frame.bottom - frame.top;
    RECT proposed = {100, 100, 100 + fw + 501, 100 + fh + 381};
    RECT snapped = Sizing(WMSZ_RIGHT, proposed);
    EXPECT_EQ(fw + 533, snapped.right - snapped.left);
    EXPECT_EQ(fh + 357, snapped.bottom - snapped.top);
    EXPECT_EQ(100, snapped.left);
    EXPECT_EQ(100, snapped.top);

    // The first drag of a fresh window snaps it at once, whichever edge is dragged.
    RECT fresh;
    GetWindowRect(app.mainWindow, &fresh);
    for (int edge = WMSZ_LEFT; edge <= WMSZ_BOTTOMRIGHT; ++edge) {
        RECT rect = Sizing(edge, fresh);
        EXPECT_EQ(fw + 597, rect.right - rect.left) << edge;
        EXPECT_EQ(fh + 309, rect.bottom - rect.top) << edge;
        bool topMoves = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
        bool leftMoves = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
        EXPECT_EQ(topMoves ? fresh.bottom : fresh.top, topMoves ? rect.bottom : rect.top) << edge;
        EXPECT_EQ(leftMoves ? fresh.right : fresh.left, leftMoves ? rect.right : rect.left) << edge;
    }
    EXPECT_EQ(TRUE, SendMessageA(app.mainWindow, WM_SIZING, WMSZ_BOTTOM,
                                 reinterpret_cast<LPARAM>(&fresh)));
}

TEST_F(MainWindow, MinimisingSkipsTheLayoutAndRestoringRunsIt) {
    ShowTestMainWindow();
    SetWindowPos(app.controls.saveButton, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(app.mainWindow, SW_MINIMIZE);
    PumpMessages(50);
    EXPECT_EQ(5, ClientRectOf(app.controls.saveButton).left);
    ShowWindow(app.mainWindow, SW_RESTORE);
    PumpMessages(50);
    EXPECT_EQ(128, ClientRectOf(app.controls.saveButton).left);
    EXPECT_EQ(120, ClientRectOf(app.controls.saveButton).top);
}

// Records the heights given to the list, under its own procedure.
WNDPROC listProcBelowSpy;
int listHeights[8];
int listHeightCount;

LRESULT CALLBACK ListSizeSpy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGING) {
        const WINDOWPOS* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!(position->flags & SWP_NOSIZE) && listHeightCount < 8)
            listHeights[listHeightCount++] = position->cy;
    }
    return CallWindowProcA(listProcBelowSpy, window, message, wParam, lParam);
}

TEST_F(MainWindow, TheListDropsDownTo256AndClosesTo24) {
    ShowTestMainWindow();
    listHeightCount = 0;
    listProcBelowSpy = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        app.controls.controlModeList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListSizeSpy)));
    SendMessageA(app.controls.controlModeList, CB_SHOWDROPDOWN, TRUE, 0);
    PumpMessages(30);
    SendMessageA(app.controls.controlModeList, CB_SHOWDROPDOWN, FALSE, 0);
    PumpMessages(30);
    SetWindowLongPtrA(app.controls.controlModeList, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(listProcBelowSpy));
    // The list adjusts its own height around ours; what counts is what the window asked for.
    ASSERT_GE(listHeightCount, 2);
    EXPECT_EQ(256, listHeights[0]);
    bool closedTo24 = false;
    for (int i = 1; i < listHeightCount; ++i)
        closedTo24 = closedTo24 || listHeights[i] == 24;
    EXPECT_TRUE(closedTo24);
    RECT rect = ClientRectOf(app.controls.controlModeList);
    EXPECT_EQ(155, rect.left);
    EXPECT_EQ(26, rect.top);
    EXPECT_EQ(84, rect.right - rect.left);
}

TEST_F(MainWindow, TabShiftTabAndArrowsGoRoundTheCycle) {
    ShowTestMainWindow();
    HWND list = app.controls.controlModeList;
    HWND save = app.controls.saveButton;
    HWND read = app.controls.readButton;
    struct Step {
        HWND from;
        WORD key;
        bool shift;
        HWND to;
    };
    const Step steps[] = {
        {app.mainWindow, VK_TAB, false, list},
        {list, VK_TAB, false, save},
        {save, VK_TAB, false, read},
        {read, VK_TAB, false, list},
        {app.mainWindow, VK_TAB, true, read},
        {read, VK_TAB, true, save},
        {save, VK_TAB, true, list},
        {list, VK_TAB, true, read},
        {save, VK_RIGHT, false, read},
        {read, VK_LEFT, false, save},
        {read, VK_UP, false, save},
        {save, VK_UP, false, save},
        {save, VK_DOWN, false, read},
        {read, VK_DOWN, false, read},
        {save, VK_LEFT, false, save},
        {read, VK_RIGHT, false, read},
    };
    for (const Step& step : steps) {
        SetFocus(step.from);
        PumpMessages(20);
        ASSERT_EQ(step.from, GetFocus());
        PressKey(step.key, false, step.shift);
        EXPECT_EQ(step.to, GetFocus())
            << "key " << step.key << " shift " << step.shift << " from " << WindowText(step.from);
    }
}

TEST_F(MainWindow, AClickOnTheEmptyClientAreaTakesTheFocus) {
    ShowTestMainWindow();
    SetFocus(app.controls.xBox);
    PumpMessages(20);
    ClickClientPoint(app.mainWindow, 600, 200);
    EXPECT_EQ(app.mainWindow, GetFocus());
    std::string before = WindowText(app.controls.xBox);
    PressKey('7');
    EXPECT_EQ(before, WindowText(app.controls.xBox));
}

TEST_F(MainWindow, NewResetsTheSettingsAndLaysOut) {
    ShowTestMainWindow();
    SetWindowTextA(app.controls.xBox, "800");
    SetWindowTextA(app.controls.yBox, "");
    SendMessageA(app.controls.controlModeList, CB_SETCURSEL, 2, 0);
    SetWindowPos(app.controls.readButton, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    app.configurationChanged = false; // as if saved: no question
    SendMessageA(app.mainWindow, WM_COMMAND, IDM_FILE_NEW, 0);
    EXPECT_EQ(0, SelectedControlMode());
    EXPECT_EQ(std::to_string(GetSystemMetrics(SM_CXSCREEN)), WindowText(app.controls.xBox));
    EXPECT_EQ(std::to_string(GetSystemMetrics(SM_CYSCREEN)), WindowText(app.controls.yBox));
    EXPECT_EQ(387, ClientRectOf(app.controls.readButton).left);
}

TEST_F(MainWindow, AcceleratorsWorkWhicheverControlHasTheFocus) {
    ShowTestMainWindow();
    HWND targets[] = {app.mainWindow, app.controls.controlModeList, app.controls.xBox,
                      app.controls.saveButton};
    for (HWND target : targets) {
        SCOPED_TRACE(WindowText(target));
        SetFocus(target);
        PumpMessages(20);
        SetWindowTextA(app.controls.xBox, "1234");
        app.configurationChanged = false;
        PressKey('N', true);
        EXPECT_EQ(std::to_string(GetSystemMetrics(SM_CXSCREEN)), WindowText(app.controls.xBox));

        const WORD keys[] = {'O', 'S'};
        const Answer dialogs[] = {{"Open File", IDCANCEL, nullptr, 0, 3000},
                                  {"Save File", IDCANCEL, nullptr, 0, 3000}};
        for (int n = 0; n < 2; ++n) {
            ModalAnswerer answerer(&dialogs[n], 1);
            SetFocus(target);
            PressKey(keys[n], true);
            answerer.Finish();
            EXPECT_TRUE(answerer.seen[0].found) << dialogs[n].title;
        }
    }
}

TEST_F(MainWindow, AboutBoxClosesOnOkEnterAndEscape) {
    ShowTestMainWindow();
    const Answer ways[] = {{"About Velomark", IDOK, nullptr, 0, 3000},
                           {"About Velomark", IDOK, nullptr, VK_RETURN, 3000},
                           {"About Velomark", IDOK, nullptr, VK_ESCAPE, 3000}};
    for (const Answer& way : ways) {
        ModalAnswerer answerer(&way, 1);
        SendMessageA(app.mainWindow, WM_COMMAND, IDM_HELP_ABOUT, 0);
        answerer.Finish();
        ASSERT_TRUE(answerer.seen[0].found) << way.key;
        EXPECT_EQ(app.mainWindow, answerer.seen[0].owner);
        EXPECT_FALSE(IsWindow(answerer.seen[0].window));
        std::string text = answerer.seen[0].text;
        EXPECT_EQ(0u, text.find("Tandemix.exe version 23160.0\n")) << text;
    }
}

TEST_F(MainWindow, AnUnknownCommandDoesNothing) {
    ShowTestMainWindow();
    SetWindowTextA(app.controls.xBox, "999");
    SendMessageA(app.mainWindow, WM_COMMAND, 4242, 0);
    SendMessageA(app.mainWindow, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0);
    PumpMessages(30);
    EXPECT_TRUE(IsWindow(app.mainWindow));
    EXPECT_EQ("999", WindowText(app.controls.xBox));
    EXPECT_EQ(nullptr, FindThreadWindow(GetCurrentThreadId(), "#32770", nullptr));
    EXPECT_EQ(0, SimulatedAdapter()->callCount);
}

TEST_F(MainWindow, EnterOnAFocusedButtonRunsItsCommand) {
    ShowTestMainWindow();
    const Answer box[] = {{"Tandemix Configuration Utility", IDOK, nullptr, 0, 5000}};
    ModalAnswerer answerer(box, 1);
    SetFocus(app.controls.readButton);
    PumpMessages(20);
    PressKey(VK_RETURN);
    answerer.Finish();
    EXPECT_EQ("The configuration was successfully read from the Tandemix", answerer.seen[0].text);
    EXPECT_EQ(32, SimCountCalls(SimulatedAdapter(), kSimCallExchange));
}

// The window side of the record rules, on the real controls.
struct EntryCase {
    const char* entry;
    unsigned int stored; // 0: the screen's size minus one
};

TEST_F(MainWindow, BuildReadsTheBoxesAndReplacesOutOfRangeEntries) {
    const EntryCase widths[] = {{"640", 0}, {"641", 640},   {"15361", 15360},  {"15362", 0},
                                {"", 0},    {"1920", 1919}, {"99999999999", 0}};
    const EntryCase heights[] = {{"480", 0}, {"481", 480}, {"8641", 8640}, {"8642", 0}, {"", 0}};
    unsigned int screenWidth = GetSystemMetrics(SM_CXSCREEN) - 1;
    unsigned int screenHeight = GetSystemMetrics(SM_CYSCREEN) - 1;
    unsigned char record[kConfigRecordSize];
    for (const EntryCase& c : widths) {
        SetWindowTextA(app.controls.xBox, c.entry);
        BuildConfigRecord(record);
        EXPECT_EQ(c.stored ? c.stored : screenWidth, record[24] * 256u + record[25]) << c.entry;
        EXPECT_EQ(c.entry, WindowText(app.controls.xBox)); // the box keeps what was typed
    }
    for (const EntryCase& c : heights) {
        SetWindowTextA(app.controls.yBox, c.entry);
        BuildConfigRecord(record);
        EXPECT_EQ(c.stored ? c.stored : screenHeight, record[26] * 256u + record[27]) << c.entry;
    }
}

TEST_F(MainWindow, ApplyShowsTheRecordAndBuildGivesItBack) {
    unsigned char record[kConfigRecordSize] = {};
    record[16] = 2;
    record[24] = 0xFF;
    record[25] = 0xFF;
    record[26] = 0x00;
    record[27] = 0x00;
    ApplyConfigRecord(record);
    EXPECT_EQ("65536", WindowText(app.controls.xBox));
    EXPECT_EQ("1", WindowText(app.controls.yBox));
    EXPECT_EQ(2, SelectedControlMode());

    record[16] = 5;
    ApplyConfigRecord(record);
    EXPECT_EQ(-1, SelectedControlMode());
    unsigned char built[kConfigRecordSize];
    BuildConfigRecord(built);
    EXPECT_EQ(0xFF, built[16]);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) - 1, built[24] * 256 + built[25]);
    ApplyConfigRecord(built);
    EXPECT_EQ(-1, SelectedControlMode());

    SetWindowTextA(app.controls.xBox, "2560");
    SetWindowTextA(app.controls.yBox, "1440");
    SendMessageA(app.controls.controlModeList, CB_SETCURSEL, 1, 0);
    unsigned char first[kConfigRecordSize];
    unsigned char second[kConfigRecordSize];
    BuildConfigRecord(first);
    ApplyConfigRecord(first);
    BuildConfigRecord(second);
    EXPECT_EQ(0, memcmp(first, second, kConfigRecordSize));
    EXPECT_EQ("2560", WindowText(app.controls.xBox));
}

} // namespace
