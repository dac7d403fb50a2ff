// The HID access library's system-call table over Windows itself. hid.dll and setupapi.dll are
// not among Windows' known libraries, so a file of either name beside the program would be
// loaded in their place: they are loaded from the system folder at the first open instead of
// being imported.
#include "hid_system.h"

#include "system_library.h"

namespace {

HidSystemCalls windowsCalls; // filled once, seen by the callers only when complete
INIT_ONCE windowsCallsLoaded = INIT_ONCE_STATIC_INIT;

// Stand-ins for the search when a system library or one of its functions is missing: the open
// then fails as on a system that cannot list its HID interfaces.
void NTAPI NoHidGuid(LPGUID hidGuid) {
    *hidGuid = GUID{};
}

HDEVINFO WINAPI NoHidInterfaces(const GUID*, PCWSTR, HWND, DWORD) {
    return INVALID_HANDLE_VALUE;
}

template <typename Function> bool Find(HMODULE library, const char* name, Function* function) {
    *function = FindSystemFunction<Function>(library, name);
    return *function != nullptr;
}

bool LoadSetupApiCalls(HidSystemCalls* calls) {
    HMODULE setupApi = LoadSystemLibrary("setupapi.dll");
    bool found = Find(setupApi, "SetupDiGetClassDevsW", &calls->SetupDiGetClassDevsW);
    found &= Find(setupApi, "SetupDiEnumDeviceInterfaces", &calls->SetupDiEnumDeviceInterfaces);
    found &= Find(setupApi, "SetupDiGetDeviceInterfaceDetailW",
                  &calls->SetupDiGetDeviceInterfaceDetailW);
    found &= Find(setupApi, "SetupDiDestroyDeviceInfoList", &calls->SetupDiDestroyDeviceInfoList);
    return found;
}

bool LoadHidCalls(HidSystemCalls* calls) {
    HMODULE hid = LoadSystemLibrary("hid.dll");
    bool found = Find(hid, "HidD_GetHidGuid", &calls->HidD_GetHidGuid);
    found &= Find(hid, "HidD_GetAttributes", &calls->HidD_GetAttributes);
    found &= Find(hid, "HidD_GetPreparsedData", &calls->HidD_GetPreparsedData);
    found &= Find(hid, "HidP_GetCaps", &calls->HidP_GetCaps);
    found &= Find(hid, "HidD_FreePreparsedData", &calls->HidD_FreePreparsedData);
    found &= Find(hid, "HidD_FlushQueue", &calls->HidD_FlushQueue);
    return found;
}

BOOL CALLBACK LoadWindowsCalls(PINIT_ONCE, PVOID, PVOID*) {
    HidSystemCalls* calls = &windowsCalls;
    calls->CreateFileW = CreateFileW;
    calls->CreateEventW = CreateEventW;
    calls->CloseHandle = CloseHandle;
    calls->CreateSemaphoreExW = CreateSemaphoreExW;
    calls->ReleaseSemaphore = ReleaseSemaphore;
    calls->GetModuleHandleExW = GetModuleHandleExW;
    calls->WriteFile = WriteFile;
    calls->ReadFile = ReadFile;
    calls->GetLastError = GetLastError;
    calls->WaitForSingleObject = WaitForSingleObject;
    calls->GetOverlappedResult = GetOverlappedResult;
    calls->CancelIoEx = CancelIoEx;
    calls->GetTickCount64 = GetTickCount64;
    // Both libraries are looked for even when the first is missing, so each is loaded once.
    bool setupApiFound = LoadSetupApiCalls(calls);
    bool hidFound = LoadHidCalls(calls);
    if (!setupApiFound || !hidFound) {
        calls->HidD_GetHidGuid = NoHidGuid;
        calls->SetupDiGetClassDevsW = NoHidInterfaces;
    }
    return TRUE;
}

} // namespace

// Two threads making their first open at once: the second waits until the table is complete.
const HidSystemCalls& WindowsHidCalls() {
    InitOnceExecuteOnce(&windowsCallsLoaded, LoadWindowsCalls, nullptr, nullptr);
    return windowsCalls;
}
