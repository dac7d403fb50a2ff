// System libraries by the system folder's path, so that a file of the same name planted beside
// the program is never loaded instead.
#include "system_library.h"

#include <string.h>

HMODULE LoadSystemLibrary(const char* name) {
    HMODULE library = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library || GetLastError() != ERROR_INVALID_PARAMETER)
        return library;
    // Windows 7 before the search flags' update refuses the flag: name the folder instead, and
    // have the library's own imports looked for in that folder first too.
    char path[MAX_PATH];
    UINT folderLength = GetSystemDirectoryA(path, MAX_PATH);
    if (folderLength == 0 || folderLength + 1 + strlen(name) >= MAX_PATH)
        return nullptr;
    path[folderLength] = '\\';
    strcpy(path + folderLength + 1, name);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void SearchOnlySystemFolder() {
    typedef BOOL(WINAPI * SetDirectoriesFunction)(DWORD);
    SetDirectoriesFunction setDirectories = FindSystemFunction<SetDirectoriesFunction>(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (setDirectories)
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
