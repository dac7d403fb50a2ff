// Prints how long Save To Tandemix and Read From Tandemix take against the simulated adapter,
// from the click to the result box, next to their floor: the two 100 ms settling waits plus
// every exchange at the adapter's latency. The span ends twice: when the command asks for its
// result box, and when the box is on screen. Then the parts of the difference: opening and
// closing the progress window, and one progress update with its message pump per register.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "app_state.h"
#include "device_commands.h"
#include "bench_clock.h"
#include "resource.h"
#include "sim_library.h"
#include "startup.h"

namespace {

constexpr int kRuns = 9;
constexpr int kProgressUpdates = 300;
constexpr double kSettleFloorMs = 200.0;
const int kLatenciesMs[] = {0, 2, 5, 10};

// The result box: its creation and its activation end the two spans; the hook answers it at once.
// The first dialog created after the progress window's end is the box (its title comes later).
bool progressClosed;
LONGLONG resultBoxAsked;
LONGLONG resultBoxShown;
bool resultWasSuccess;
HHOOK boxHook;
const int kMessageBoxTextId = 0xFFFF;

bool IsDialog(HWND window) {
    char className[16] = "";
    return GetClassNameA(window, className, sizeof(className)) && strcmp(className, "#32770") == 0;
}

LRESULT CALLBACK AnswerResultBox(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_DESTROYWND && IsDialog(window))
        progressClosed = true;
    if (code == HCBT_CREATEWND && progressClosed && !resultBoxAsked && IsDialog(window))
        resultBoxAsked = Now();
    char title[64] = "";
    if (code == HCBT_ACTIVATE && IsDialog(window) && GetWindowTextA(window, title, sizeof(title)) &&
        strcmp(title, kAppCaption) == 0) {
        if (!resultBoxShown) {
            resultBoxShown = Now();
            char text[96] = "";
            GetDlgItemTextA(window, kMessageBoxTextId, text, sizeof(text));
            resultWasSuccess = strstr(text, "successfully") != nullptr;
        }
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

struct Timing {
    double askedMs; // medians
    double shownMs;
    int exchanges;
    bool allSucceeded;
};

Timing TimeCommand(void (*command)(), int latencyMs) {
    SimAdapter* adapter = SimulatedAdapter();
    adapter->faults.latencyMs = latencyMs;
    double asked[kRuns], shown[kRuns];
    Timing timing = {0, 0, 0, true};
    for (int run = 0; run < kRuns; ++run) {
        int exchangesBefore = adapter->exchangeCount;
        progressClosed = resultWasSuccess = false;
        resultBoxAsked = resultBoxShown = 0;
        LONGLONG start = Now();
        command();
        asked[run] = Milliseconds(resultBoxAsked - start);
        shown[run] = Milliseconds(resultBoxShown - start);
        timing.exchanges = adapter->exchangeCount - exchangesBefore;
        if (!resultBoxAsked || !resultWasSuccess || adapter->open)
            timing.allSucceeded = false;
        app.configurationChanged = false;
    }
    timing.askedMs = Median(asked, kRuns);
    timing.shownMs = Median(shown, kRuns);
    return timing;
}

bool BenchCommand(const char* name, void (*command)()) {
    bool ok = true;
    for (int latencyMs : kLatenciesMs) {
        Timing timing = TimeCommand(command, latencyMs);
        double floorMs = kSettleFloorMs + timing.exchanges * latencyMs;
        printf("%-18s latency %d ms: %d exchanges, floor %5.1f ms; to the result box asked"
               " %5.1f ms (ratio %.3f), on screen %5.1f ms (ratio %.3f)%s\n",
               name, latencyMs, timing.exchanges, floorMs, timing.askedMs, timing.askedMs / floorMs,
               timing.shownMs, timing.shownMs / floorMs,
               timing.allSucceeded ? "" : "  [a run did not end in success]");
        ok = ok && timing.allSucceeded;
    }
    return ok;
}

void BenchProgressWindow() {
    double opened[kRuns], closed[kRuns], perUpdateUs[kRuns];
    for (int run = 0; run < kRuns; ++run) {
        LONGLONG start = Now();
        OpenProgressWindow(IDD_WRITE_PROGRESS);
        opened[run] = Milliseconds(Now() - start);
        start = Now();
        for (int update = 0; update < kProgressUpdates; ++update)
            ShowWriteProgress(update % 101);
        perUpdateUs[run] = 1e3 * Milliseconds(Now() - start) / kProgressUpdates;
        start = Now();
        DestroyWindow(app.progressWindow);
        app.progressWindow = nullptr;
        closed[run] = Milliseconds(Now() - start);
    }
    printf("progress window: open and paint %.1f ms, close %.1f ms\n", Median(opened, kRuns),
           Median(closed, kRuns));
    double updateUs = Median(perUpdateUs, kRuns);
    printf("progress update and message pump: %.1f us per register (%.2f ms over the 32 data"
           " registers)\n",
           updateUs, updateUs * 32 / 1e3);
}

// What Sleep(latency) in the simulator really takes here, so the ratios can be read against it.
void BenchSimulatedLatency() {
    for (int latencyMs : kLatenciesMs) {
        if (latencyMs == 0)
            continue;
        LONGLONG start = Now();
        for (int round = 0; round < 50; ++round)
            Sleep(static_cast<DWORD>(latencyMs));
        printf("Sleep(%d) under this system: %.2f ms\n", latencyMs,
               Milliseconds(Now() - start) / 50);
    }
}

} // namespace

int main() {
    BuildMainWindow(GetModuleHandleA(nullptr));
    ShowMainWindow(SW_SHOW);
    boxHook = SetWindowsHookExA(WH_CBT, AnswerResultBox, nullptr, GetCurrentThreadId());
    bool ok = BenchCommand("Save To Tandemix", SaveToDeviceCommand);
    ok = BenchCommand("Read From Tandemix", ReadFromDeviceCommand) && ok;
    UnhookWindowsHookEx(boxHook);
    BenchProgressWindow();
    BenchSimulatedLatency();
    DestroyWindow(app.mainWindow);
    return ok ? 0 : 1;
}
