// Prints how long the utility takes from its launch to a visible main window, next to the same
// figure for the smallest ordinary window program, under the same system.
// Usage: startup_bench utility.exe utility-window-class minimal.exe minimal-window-class
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "bench_clock.h"

namespace {

constexpr int kRuns = 21;
constexpr DWORD kWindowTimeoutMs = 10000;

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM lParam) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char className[64] = "";
    if (processId != search->processId || !IsWindowVisible(window) ||
        !GetClassNameA(window, className, sizeof(className)) ||
        strcmp(className, search->className) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

// Launches the program, waits for its window to be visible, closes it; -1 when it never shows.
double TimeStartUp(const char* program, const char* className) {
    char commandLine[MAX_PATH + 2];
    wsprintfA(commandLine, "\"%s\"", program);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LONGLONG start = Now();
    if (!CreateProcessA(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    WindowSearch search = {process.dwProcessId, className, nullptr};
    DWORD waitStart = GetTickCount();
    while (!search.found && GetTickCount() - waitStart < kWindowTimeoutMs) {
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            Sleep(1);
    }
    double spanMs = search.found ? Milliseconds(Now() - start) : -1;
    if (search.found)
        PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        spanMs = -1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return spanMs;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: startup_bench utility.exe class minimal.exe class\n");
        return 2;
    }
    // One launch each first, so that both runs find the system's files cached.
    if (TimeStartUp(argv[1], argv[2]) < 0 || TimeStartUp(argv[3], argv[4]) < 0) {
        fprintf(stderr, "a program did not show its window\n");
        return 1;
    }
    double utility[kRuns], minimal[kRuns];
    for (int run = 0; run < kRuns; ++run) {
        utility[run] = TimeStartUp(argv[1], argv[2]);
        minimal[run] = TimeStartUp(argv[3], argv[4]);
        if (utility[run] < 0 || minimal[run] < 0) {
            fprintf(stderr, "a program did not show its window\n");
            return 1;
        }
    }
    double utilityMs = Median(utility, kRuns), minimalMs = Median(minimal, kRuns);
    printf("start-up to a visible window, median of %d: utility %.1f ms (best %.1f), minimal"
           " window program %.1f ms (best %.1f), ratio %.3f\n",
           kRuns, utilityMs, utility[0], minimalMs, minimal[0], utilityMs / minimalMs);
    return 0;
}
