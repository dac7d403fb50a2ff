// Loads a Windows library from the system folder only, never from the program's own folder.
#pragma once

#include <windows.h>

// Null when the library cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// From here on every library loaded by name, also by the system's own libraries (the file
// dialogs, the shell and what they bring), comes from the system folder, never from the
// program's. Called first by each program; its static imports (Tandemix.dll) are loaded already.
// Windows 7 without the search flags' update lacks the call and keeps its default order.
void SearchOnlySystemFolder();

// A function of a loaded library as the given pointer type; null when the library or the
// function is missing.
template <typename Function> Function FindSystemFunction(HMODULE library, const char* name) {
    if (!library)
        return nullptr;
    // Through the generic function type, which converts to any other without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}
