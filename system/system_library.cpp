// System libraries by the system folder's path, so that a file of the same name planted beside
// the program is never loaded instead.
#include "system_library.h"

#include <string.h>

HMODULE LoadSystemLibrary(const char* name) {
    HMODULE library = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library || GetLastError() != ERROR_INVALID_PARAMETER)
        return library;
    // Windows before the search flags' update refuses the flag: name the folder instead.
    char path[MAX_PATH];
    UINT folderLength = GetSystemDirectoryA(path, MAX_PATH);
    if (folderLength == 0 || folderLength + 1 + strlen(name) >= MAX_PATH)
        return nullptr;
    path[folderLength] = '\\';
    strcpy(path + folderLength + 1, name);
    return LoadLibraryA(path);
}
