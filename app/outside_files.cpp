// Files handed to the utility from outside its dialogs: named on the command line, or dropped on
// the main window from a file manager.
#include "outside_files.h"

#include "app_state.h"
#include "device_commands.h"
#include "file_commands.h"
#include "system_library.h"

void OpenCommandLineFile(const wchar_t* commandLine) {
    // The program's name ends at the first space or tab outside quotes, as the C runtime
    // and CommandLineToArgvW take it.
    bool quotedName = false;
    while (*commandLine != L'\0' && (quotedName || (*commandLine != L' ' && *commandLine != L'\t')))
        quotedName ^= *commandLine++ == L'"';
    while (*commandLine == L' ' || *commandLine == L'\t')
        ++commandLine;
    if (*commandLine == L'\0')
        return;
    // "Open with" quotes the name; typed by hand, a name with spaces may come unquoted.
    bool quoted = *commandLine == L'"';
    const wchar_t* name = commandLine + (quoted ? 1 : 0);
    int length = 0;
    while (name[length] != L'\0' && name[length] != L'"')
        ++length;
    while (!quoted && length > 0 && name[length - 1] == L' ')
        --length;
    OpenNamedConfigFile(name, length);
}

// shell32 is large and brings more libraries with it, so it is loaded at the first drop.
void OpenDroppedFile(HDROP drop) {
    typedef UINT(WINAPI * QueryFunction)(HDROP, UINT, LPWSTR, UINT);
    typedef void(WINAPI * FinishFunction)(HDROP);
    static HMODULE shell;
    if (!shell)
        shell = LoadSystemLibrary("shell32.dll");
    QueryFunction query = FindSystemFunction<QueryFunction>(shell, "DragQueryFileW");
    FinishFunction finish = FindSystemFunction<FinishFunction>(shell, "DragFinish");
    // Only the first of several files is opened.
    wchar_t name[kConfigFileNameSize] = L"";
    int length = query ? static_cast<int>(query(drop, 0, nullptr, 0)) : 0;
    if (length < kConfigFileNameSize && query)
        query(drop, 0, name, kConfigFileNameSize);
    if (finish)
        finish(drop);
    if (length > 0 && !RefusedDuringTransfer())
        OpenNamedConfigFile(name, length);
}
