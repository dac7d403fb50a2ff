// tandemixctl's system calls on Windows.
#include <windows.h>

#include "ctl_platform.h"

namespace {

volatile LONG interrupted;

// Runs on a thread of its own, so a write under way goes on to its end.
BOOL WINAPI NoteInterrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    InterlockedExchange(&interrupted, 1);
    return TRUE;
}

} // namespace

bool StderrIsTerminal() {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool ExplainMissingAdapter(const DeviceOutcome& outcome, char* text, int size) {
    if (outcome.openResult != kOpenRefused)
        return false;
    lstrcpynA(text,
              "a Tandemix adapter is connected, but Windows would not open it for reading and "
              "writing: another program holds it open",
              size);
    return true;
}

void CatchInterrupt() {
    SetConsoleCtrlHandler(NoteInterrupt, TRUE);
}

bool PauseUnlessInterrupted(int ms) {
    for (int waited = 0; !interrupted && waited < ms; waited += 10)
        Sleep(10);
    return !interrupted;
}
