// Files handed to the utility from outside its dialogs: named on the command line, or dropped on
// the main window from a file manager.
#include "outside_files.h"

#include "app_state.h"
#include "device_commands.h"
#include "file_commands.h"
#include "system_library.h"

void OpenCommandLineFile(const char* commandLine) {
    while (*commandLine == ' ' || *commandLine == '\t')
        ++commandLine;
    if (*commandLine == '\0')
        return;
    // "Open with" quotes the name; typed by hand, a name with spaces may come unquoted.
    bool quoted = *commandLine == '"';
    const char* name = commandLine + (quoted ? 1 : 0);
    int length = 0;
    while (name[length] != '\0' && name[length] != '"')
        ++length;
    while (!quoted && length > 0 && name[length - 1] == ' ')
        --length;
    OpenNamedConfigFile(name, length);
}

// shell32 is large and brings more libraries with it, so it is loaded at the first drop.
void OpenDroppedFile(HDROP drop) {
    typedef UINT(WINAPI * QueryFunction)(HDROP, UINT, LPSTR, UINT);
    typedef void(WINAPI * FinishFunction)(HDROP);
    static HMODULE shell;
    if (!shell)
        shell = LoadSystemLibrary("shell32.dll");
    QueryFunction query = FindSystemFunction<QueryFunction>(shell, "DragQueryFileA");
    FinishFunction finish = FindSystemFunction<FinishFunction>(shell, "DragFinish");
    // Only the first of several files is opened.
    char name[kConfigFileNameSize] = "";
    int length = query ? static_cast<int>(query(drop, 0, nullptr, 0)) : 0;
    if (length < kConfigFileNameSize && query)
        query(drop, 0, name, sizeof(name));
    if (finish)
        finish(drop);
    if (length > 0 && !RefusedDuringTransfer())
        OpenNamedConfigFile(name, length);
}
