// The harness behind the in-process window tests.
#include "app_harness.h"

#include <gtest/gtest.h>
#include <wchar.h>

#include <algorithm>
#include <fstream>

#include "app_state.h"
#include "file_replace.h"
#include "main_window.h"
#include "message_routing.h"
#include "resource.h"
#include "startup.h"

SeenWindow seen[4];

namespace {

// The controls of the platform's dialogs, as Wine numbers them.
const int kFileNameBox = 0x47c, kMessageText = 0xFFFF, kMessageIcon = 0x440;
Answer expected[4];
int expectedCount, answeredCount;

void Click(HWND window, int button) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
}

void AnswerWindow(HWND window) {
    HWND fileName = GetDlgItem(window, kFileNameBox);
    SeenWindow look = {
        WindowText(window), WindowText(fileName ? fileName : GetDlgItem(window, kMessageText)),
        GetWindow(window, GW_OWNER),
        reinterpret_cast<HICON>(SendDlgItemMessageA(window, kMessageIcon, STM_GETICON, 0, 0))};
    if (answeredCount == expectedCount || look.title != expected[answeredCount].title) {
        ADD_FAILURE() << "unexpected window \"" << look.title << "\": " << look.text;
        return Click(window, IDCANCEL);
    }
    const Answer& answer = expected[answeredCount];
    seen[answeredCount++] = look;
    HWND button = GetDlgItem(window, answer.button);
    EXPECT_TRUE(button && IsWindowVisible(button)) << look.title << ": no button " << answer.button;
    if (answer.fileName) // typed as a person types: any character, not only the code page's
        SetWindowTextW(fileName, Widened(answer.fileName).c_str());
    Click(window, answer.button);
}

// Runs inside the modal window's own loop, once the window is shown and nothing else is queued.
void CALLBACK AnswerWhenShown(HWND window, UINT, UINT_PTR timer, DWORD) {
    if (IsWindowVisible(window) && KillTimer(window, timer) &&
        !GetDlgItem(window, IDC_PROGRESS_TEXT))
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

// Saves replace files as on Windows, whose ReplaceFileW gives the new file the replaced one's
// attributes and, like every call, refuses a name of MAX_PATH characters or more without \\?\;
// Wine's does neither.
BOOL WINAPI ReplaceAsWindowsDoes(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                                 LPVOID exclude, LPVOID reserved) {
    for (LPCWSTR name : {replaced, replacement})
        if (lstrlenW(name) >= MAX_PATH && wcsncmp(name, L"\\\\?\\", 4) != 0) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
    DWORD attributes = GetFileAttributesW(replaced);
    return ReplaceFileW(replaced, replacement, backup, flags, exclude, reserved) &&
           SetFileAttributesW(replaced, attributes);
}
const ReplaceFunction windowsReplace = replaceFile = ReplaceAsWindowsDoes;

void PumpMessages(int milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT)
                RouteMessage(&message);
        Sleep(1);
    } while (static_cast<LONG>(GetTickCount() - start) < milliseconds);
}

UINT postedMessage;
WPARAM postedWParam;

void CALLBACK PostOnceShown(HWND, UINT, UINT_PTR timer, DWORD) {
    if (IsWindowVisible(app.mainWindow) && GetActiveWindow() == app.mainWindow &&
        KillTimer(nullptr, timer))
        PostMessageA(app.mainWindow, postedMessage, postedWParam, 0);
}

} // namespace

void PostWhenMainWindowShown(UINT message, WPARAM wParam) {
    postedMessage = message;
    postedWParam = wParam;
    SetTimer(nullptr, 0, 20, PostOnceShown);
}

void ExpectWindows(const std::vector<Answer>& answers) {
    for (int n = answeredCount; n < expectedCount; ++n)
        ADD_FAILURE() << "no window \"" << expected[n].title << "\" came";
    expectedCount = answeredCount = 0;
    ASSERT_LE(answers.size(), std::size(expected));
    for (const Answer& answer : answers)
        expected[expectedCount++] = answer;
    for (SeenWindow& window : seen)
        window = SeenWindow{};
}

void CreateTestMainWindow() {
    SimReset(SimulatedAdapter());
    BuildMainWindow(GetModuleHandleA(nullptr));
    ShowMainWindow(SW_SHOW);
    SetForegroundWindow(app.mainWindow);
    SetFocus(app.mainWindow);
    PumpMessages(50);
}

void DestroyTestMainWindow() {
    ExpectWindows({});
    DestroyWindow(app.mainWindow);
    if (app.controlFont)
        DeleteControlFonts();
    PumpMessages(0);
    app = AppState{};
}

void PressKey(WORD key, bool control, bool shift) {
    INPUT inputs[6] = {};
    int count = 0;
    for (WORD k : {WORD(control ? VK_CONTROL : 0), WORD(shift ? VK_SHIFT : 0), key, key,
                   WORD(shift ? VK_SHIFT : 0), WORD(control ? VK_CONTROL : 0)}) {
        if (!k)
            continue;
        inputs[count].type = INPUT_KEYBOARD;
        inputs[count].ki.wVk = k;
        // The second half of the sequence lets the keys go again.
        inputs[count].ki.dwFlags = count > control + shift ? KEYEVENTF_KEYUP : 0;
        ++count;
    }
    SendInput(count, inputs, sizeof(INPUT));
    PumpMessages(60);
}

void ClickControl(HWND control) {
    RECT box;
    GetWindowRect(control, &box);
    SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
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

void ExpectSettings(int mode, const char* width, const char* height) {
    EXPECT_EQ(mode, SelectedControlMode());
    EXPECT_EQ(width, WindowText(app.controls.xBox));
    EXPECT_EQ(height, WindowText(app.controls.yBox));
}

void ShowSavedSettings(int mode, const char* width, const char* height) {
    SendMessageA(app.controls.controlModeList, CB_SETCURSEL, mode, 0);
    SetWindowTextA(app.controls.xBox, width);
    SetWindowTextA(app.controls.yBox, height);
    MarkConfigurationUnchanged();
}

std::string TestPath(const char* name, const char* preparedFolder) {
    char folder[MAX_PATH] = "Z:";
    if (!preparedFolder)
        GetTempPathA(sizeof(folder), folder);
    else if (GetEnvironmentVariableA("TANDEMIX_FIXTURE_DIR", folder + 2, sizeof(folder) - 2))
        strcat(strcat(strcat(folder, "/"), preparedFolder), "/");
    std::string path = folder;
    std::replace(path.begin(), path.end(), '/', '\\');
    if (preparedFolder && GetFileAttributesA((path + "ready").c_str()) == INVALID_FILE_ATTRIBUTES)
        return "";
    path += name;
    if (!preparedFolder)
        DeleteFileA(path.c_str());
    return path;
}

std::wstring Widened(const std::string& utf8) {
    wchar_t wide[1024] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 1024);
    return wide;
}

std::string FileBytes(const std::string& path) {
    std::ifstream file(Widened(path).c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}
