// The simulator as a drop-in Tandemix.dll; its state file defaults to TandemixSim.txt beside
// the DLL.
#include <windows.h>

#include <string.h>

#include "sim_environment.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE dll, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char statePath[MAX_PATH];
    const char kDefaultName[] = "TandemixSim.txt";
    DWORD length = GetModuleFileNameA(dll, statePath, sizeof(statePath));
    char* folderEnd = strrchr(statePath, '\\');
    if (length > 0 && length < sizeof(statePath) && folderEnd &&
        static_cast<size_t>(folderEnd + 1 - statePath) + sizeof(kDefaultName) <= sizeof(statePath))
        memcpy(folderEnd + 1, kDefaultName, sizeof(kDefaultName));
    else
        memcpy(statePath, kDefaultName, sizeof(kDefaultName));
    ConfigureSimFromEnvironment(statePath);
    return TRUE;
}
