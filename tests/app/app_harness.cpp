// The harness behind the in-process window tests.
#include "app_harness.h"

#include <gtest/gtest.h>
#include <string.h>

#include "app_state.h"
#include "message_routing.h"
#include "resource.h"
#include "startup.h"

SeenWindow seen[4];

namespace {

const int kFileNameControl = 0x47c; // the name box of the platform's file dialogs
const int kMaxAnswers = 4;

Answer expected[kMaxAnswers];
int expectedCount;
int answeredCount;

BOOL CALLBACK ReadChild(HWND child, LPARAM parameter) {
    SeenWindow* window = reinterpret_cast<SeenWindow*>(parameter);
    char className[16] = "";
    GetClassNameA(child, className, sizeof(className));
    if (_stricmp(className, "Static") != 0)
        return TRUE;
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        window->icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    else if (window->text.empty())
        window->text = WindowText(child);
    return TRUE;
}

void Click(HWND window, int button) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
}

void AnswerWindow(HWND window) {
    SeenWindow look = {WindowText(window), "", GetWindow(window, GW_OWNER), nullptr};
    if (HWND name = GetDlgItem(window, kFileNameControl))
        look.text = WindowText(name);
    else
        EnumChildWindows(window, ReadChild, reinterpret_cast<LPARAM>(&look));
    if (answeredCount == expectedCount || look.title != expected[answeredCount].title) {
        ADD_FAILURE() << "unexpected window \"" << look.title << "\": " << look.text;
        Click(window, IDCANCEL);
        return;
    }
    const Answer& answer = expected[answeredCount];
    seen[answeredCount++] = look;
    HWND button = GetDlgItem(window, answer.button);
    EXPECT_TRUE(button && IsWindowVisible(button))
        << look.title << " has no button " << answer.button;
    if (answer.fileName)
        SetDlgItemTextA(window, kFileNameControl, answer.fileName);
    Click(window, answer.button);
}

// Runs inside the modal window's own loop, once the window is shown and nothing else is queued.
void CALLBACK AnswerWhenShown(HWND window, UINT, UINT_PTR timer, DWORD) {
    if (!IsWindowVisible(window))
        return;
    KillTimer(window, timer);
    if (!GetDlgItem(window, IDC_PROGRESS_TEXT))
        AnswerWindow(window);
}

LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
    const CREATESTRUCTA* create =
        code == HCBT_CREATEWND ? reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs : nullptr;
    if (create && create->lpszClass == MAKEINTRESOURCEA(32770) && !(create->style & WS_CHILD))
        SetTimer(reinterpret_cast<HWND>(wParam), 1, USER_TIMER_MINIMUM, AnswerWhenShown);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

const HHOOK creationHook = SetWindowsHookExA(WH_CBT, WatchCreation, nullptr, GetCurrentThreadId());

void ExpectAllAnswered() {
    for (int n = answeredCount; n < expectedCount; ++n)
        ADD_FAILURE() << "no window \"" << expected[n].title << "\" came";
}

} // namespace

void ExpectWindows(std::initializer_list<Answer> answers) {
    ExpectAllAnswered();
    expectedCount = answeredCount = 0;
    for (const Answer& answer : answers)
        if (expectedCount < kMaxAnswers)
            expected[expectedCount++] = answer;
    for (SeenWindow& window : seen)
        window = SeenWindow{};
}

void CreateTestMainWindow() {
    SimReset(SimulatedAdapter());
    InitCommonControlsForUtility();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterMainWindowClass(instance);
    CreateMainWindow(instance);
    ResetAndLayOut();
    ShowMainWindow(SW_SHOW);
    SetForegroundWindow(app.mainWindow);
    SetFocus(app.mainWindow);
    PumpMessages(50);
}

void DestroyTestMainWindow() {
    ExpectWindows({});
    if (IsWindow(app.mainWindow))
        DestroyWindow(app.mainWindow);
    app.mainWindow = nullptr;
    if (app.controlFont)
        DeleteControlFont();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message != WM_QUIT)
            DispatchMessageA(&message);
    app.configurationChanged = false;
    app.fileName[0] = '\0';
}

void PumpMessages(int milliseconds) {
    app.accelerators =
        LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAINACCEL));
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT)
                RouteMessage(&message);
        Sleep(1);
    } while (static_cast<LONG>(GetTickCount() - start) < milliseconds);
}

void PressKey(WORD key, bool control, bool shift) {
    INPUT inputs[6] = {};
    int count = 0;
    WORD held[2] = {static_cast<WORD>(control ? VK_CONTROL : 0),
                    static_cast<WORD>(shift ? VK_SHIFT : 0)};
    for (WORD k : {held[0], held[1], key, key, held[1], held[0]}) {
        if (!k)
            continue;
        inputs[count].type = INPUT_KEYBOARD;
        inputs[count].ki.wVk = k;
        // The second half of the sequence lets the keys go again.
        inputs[count].ki.dwFlags = count >= (control + shift + 1) ? KEYEVENTF_KEYUP : 0;
        ++count;
    }
    SendInput(count, inputs, sizeof(INPUT));
    PumpMessages(60);
}

void ClickClientPoint(HWND window, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(window, &point);
    SetCursorPos(point.x, point.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
    PumpMessages(60);
}

std::string WindowText(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

int SelectedControlMode() {
    return static_cast<int>(SendMessageA(app.controls.controlModeList, CB_GETCURSEL, 0, 0));
}

void ShowSavedSettings(int mode, const char* width, const char* height) {
    SendMessageA(app.controls.controlModeList, CB_SETCURSEL, mode, 0);
    SetWindowTextA(app.controls.xBox, width);
    SetWindowTextA(app.controls.yBox, height);
    MarkConfigurationUnchanged();
}
