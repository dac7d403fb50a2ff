// Prints how long the utility takes from its launch to a visible main window, next to the same
// figure for two yardsticks under the same system: the smallest ordinary window program, and one
// with the utility's manifest, common controls and child controls. The three are launched in
// turns, so that all meet the same load.
// Usage: startup_bench utility.exe class bare.exe class controls.exe class
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "bench_clock.h"

namespace {

constexpr int kRuns = 21;
constexpr int kPrograms = 3; // the utility, then the two yardsticks
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
    if (argc != 1 + 2 * kPrograms) {
        fprintf(stderr,
                "usage: startup_bench utility.exe class bare.exe class controls.exe class\n");
        return 2;
    }
    // One launch each first, so that every timed run finds the system's files cached.
    double spans[kPrograms][kRuns];
    for (int run = -1; run < kRuns; ++run)
        for (int program = 0; program < kPrograms; ++program) {
            double spanMs = TimeStartUp(argv[1 + 2 * program], argv[2 + 2 * program]);
            if (spanMs < 0) {
                fprintf(stderr, "%s did not show its window\n", argv[1 + 2 * program]);
                return 1;
            }
            if (run >= 0)
                spans[program][run] = spanMs;
        }
    double medians[kPrograms];
    for (int program = 0; program < kPrograms; ++program)
        medians[program] = Median(spans[program], kRuns);
    printf("start-up to a visible window, medians of %d launches in turns (best in brackets):\n"
           "  utility %.1f ms (%.1f)\n"
           "  bare window program %.1f ms (%.1f): utility ratio %.3f (target 1.2)\n"
           "  window program with the utility's manifest and controls %.1f ms (%.1f): utility"
           " ratio %.3f (target 1.10)\n",
           kRuns, medians[0], spans[0][0], medians[1], spans[1][0], medians[0] / medians[1],
           medians[2], spans[2][0], medians[0] / medians[2]);
    return 0;
}
