// The harness behind the in-process window tests.
#include "tests/app/app_harness.h"

#include <stdio.h>
#include <string.h>

#include "app_state.h"
#include "message_routing.h"
#include "startup.h"
#include "resource.h"

void CreateTestMainWindow() {
    SimReset(SimulatedAdapter());
    InitCommonControlsForUtility();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterMainWindowClass(instance);
    CreateMainWindow(instance);
    ResetAndLayOut();
}

void ShowTestMainWindow() {
    ShowMainWindow(SW_SHOW);
    SetForegroundWindow(app.mainWindow);
    SetActiveWindow(app.mainWindow);
    SetFocus(app.mainWindow);
    PumpMessages(50);
}

void DestroyTestMainWindow() {
    if (IsWindow(app.mainWindow))
        DestroyWindow(app.mainWindow);
    app.mainWindow = nullptr;
    if (app.controlFont)
        DeleteControlFont();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT)
            DispatchMessageA(&message);
    }
    app.configurationChanged = false;
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

namespace {

INPUT KeyInput(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

} // namespace

void PressKey(WORD key, bool control, bool shift) {
    INPUT inputs[6];
    int count = 0;
    if (control)
        inputs[count++] = KeyInput(VK_CONTROL, false);
    if (shift)
        inputs[count++] = KeyInput(VK_SHIFT, false);
    inputs[count++] = KeyInput(key, false);
    inputs[count++] = KeyInput(key, true);
    if (shift)
        inputs[count++] = KeyInput(VK_SHIFT, true);
    if (control)
        inputs[count++] = KeyInput(VK_CONTROL, true);
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
    app.configurationChanged = false;
}

RECT ClientRectOf(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

namespace {

struct FindRequest {
    const char* className;
    const char* title;
    HWND found;
    const HWND* skip;
    int skipCount;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    FindRequest* request = reinterpret_cast<FindRequest*>(parameter);
    char className[64] = "";
    GetClassNameA(window, className, sizeof(className));
    if (!IsWindowVisible(window) || strcmp(className, request->className) != 0)
        return TRUE;
    if (request->title && WindowText(window) != request->title)
        return TRUE;
    for (int i = 0; i < request->skipCount; ++i)
        if (request->skip[i] == window)
            return TRUE;
    request->found = window;
    return FALSE;
}

HWND FindWindowSkipping(DWORD thread, const char* className, const char* title, const HWND* skip,
                        int skipCount) {
    FindRequest request = {className, title, nullptr, skip, skipCount};
    EnumThreadWindows(thread, MatchWindow, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

BOOL CALLBACK ScanChild(HWND child, LPARAM parameter) {
    SeenWindow* seen = reinterpret_cast<SeenWindow*>(parameter);
    char className[64] = "";
    GetClassNameA(child, className, sizeof(className));
    if (_stricmp(className, "Static") != 0)
        return TRUE;
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        seen->icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    } else {
        std::string text = WindowText(child);
        if (!text.empty() && seen->text.empty())
            seen->text = text;
    }
    return TRUE;
}

const int kFileNameControl = 0x47c; // the name box of the platform's file dialogs

void Press(HWND window, const Answer& answer) {
    if (answer.key) {
        HWND focus = GetDlgItem(window, answer.button);
        PostMessageA(focus ? focus : window, WM_KEYDOWN, answer.key, 0);
        PostMessageA(focus ? focus : window, WM_KEYUP, answer.key, 0xC0000000);
    } else {
        // Posted, not sent: a sent click would wait for a question the click raises.
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, answer.button)));
    }
}

void Observe(HWND window, SeenWindow* seen) {
    seen->found = true;
    seen->window = window;
    seen->title = WindowText(window);
    seen->owner = GetWindow(window, GW_OWNER);
    seen->ownerWasVisible = seen->owner && IsWindowVisible(seen->owner);
    seen->style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    seen->exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    EnumChildWindows(window, ScanChild, reinterpret_cast<LPARAM>(seen));
    for (int id = IDOK; id <= IDCONTINUE && id < 12; ++id) {
        HWND button = GetDlgItem(window, id);
        seen->buttons[id] = button && IsWindowVisible(button);
    }
    if (HWND name = GetDlgItem(window, kFileNameControl)) {
        char text[1024] = "";
        GetWindowTextA(name, text, sizeof(text));
        seen->fileName = text;
    }
}

} // namespace

HWND FindThreadWindow(DWORD thread, const char* className, const char* title) {
    return FindWindowSkipping(thread, className, title, nullptr, 0);
}

ModalAnswerer::ModalAnswerer(const Answer* answers, int count) : uiThread(GetCurrentThreadId()) {
    worker = std::thread([this, answers, count] { Run(answers, count); });
}

ModalAnswerer::~ModalAnswerer() {
    Finish();
}

void ModalAnswerer::Finish() {
    if (worker.joinable())
        worker.join();
}

void ModalAnswerer::Run(const Answer* answers, int count) {
    HWND handled[4] = {};
    for (int n = 0; n < count && n < 4; ++n) {
        const Answer& answer = answers[n];
        HWND window = nullptr;
        DWORD start = GetTickCount();
        while (!window && static_cast<LONG>(GetTickCount() - start) < answer.timeoutMs) {
            window = FindWindowSkipping(uiThread, "#32770", answer.title, handled, n);
            if (window && answer.fileName && !GetDlgItem(window, kFileNameControl))
                window = nullptr; // not initialised yet
            if (!window)
                Sleep(10);
        }
        if (!window)
            return;
        Sleep(30); // let the window finish its own initialisation
        Observe(window, &seen[n]);
        handled[n] = window;
        if (answer.fileName)
            SetDlgItemTextA(window, kFileNameControl, answer.fileName);
        // A window that is still up and enabled a while later (it took the answer before it was
        // ready) is answered again; one that waits on a question of its own is disabled.
        for (int attempt = 0; attempt < 5; ++attempt) {
            Press(window, answer);
            for (int i = 0;
                 i < 100 && IsWindow(window) && IsWindowVisible(window) && IsWindowEnabled(window);
                 ++i)
                Sleep(10);
            if (!IsWindow(window) || !IsWindowVisible(window) || !IsWindowEnabled(window))
                break;
        }
        answeredCount.fetch_add(1);
    }
}
