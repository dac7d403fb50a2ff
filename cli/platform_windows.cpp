// tandemixctl's system calls on Windows.
#include <windows.h>

#include "ctl_platform.h"
#include "device_transfer.h"

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

bool MayReplaceFile(const char* path, char* reason, int reasonSize) {
    DWORD attributes = GetFileAttributesA(path);
    const char* refusal = nullptr;
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        refusal = "it is a folder";
    else if (attributes & FILE_ATTRIBUTE_READONLY)
        refusal = "it is read-only";
    else
        return true;
    lstrcpynA(reason, refusal, reasonSize);
    return false;
}

bool ReplaceFileWith(const char* temporary, const char* target, char* reason, int reasonSize) {
    if (MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       GetLastError(), 0, reason, static_cast<DWORD>(reasonSize), nullptr);
    while (length > 0 &&
           (reason[length - 1] == '\n' || reason[length - 1] == '\r' || reason[length - 1] == '.'))
        --length;
    reason[length] = '\0';
    return false;
}

bool ExplainMissingAdapter(char* text, int size) {
    if (LastOpenResult() != kOpenResultRefused)
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
