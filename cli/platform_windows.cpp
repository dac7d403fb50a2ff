// tandemixctl's system calls on Windows.
#include <windows.h>

#include <io.h>

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

void WriteText(FILE* stream, const char* text) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode, written;
    wchar_t wide[kConfigFilePathSize * 4];
    int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, kConfigFilePathSize * 4);
    if (GetConsoleMode(handle, &mode) && length > 0)
        WriteConsoleW(handle, wide, static_cast<DWORD>(length - 1), &written, nullptr);
    else
        fputs(text, stream);
}

void ArgumentsAsText(int argc, wchar_t** argv, char** text, char* storage) {
    int used = 0;
    for (int i = 0; i < argc; ++i) {
        text[i] = storage + used;
        TextFromWide(argv[i], text[i], kArgumentTextSize - used);
        used += lstrlenA(text[i]) + 1;
    }
}

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
