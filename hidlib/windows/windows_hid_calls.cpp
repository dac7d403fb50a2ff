// The HID access library's system-call table over Windows itself.
#include "hid_system.h"

const HidSystemCalls kWindowsHidCalls = {
    HidD_GetHidGuid,
    SetupDiGetClassDevsW,
    SetupDiEnumDeviceInterfaces,
    SetupDiGetDeviceInterfaceDetailW,
    SetupDiDestroyDeviceInfoList,
    CreateFileW,
    HidD_GetAttributes,
    HidD_GetPreparsedData,
    HidP_GetCaps,
    HidD_FreePreparsedData,
    CreateEventW,
    CloseHandle,
    HidD_FlushQueue,
    WriteFile,
    ReadFile,
    GetLastError,
    WaitForSingleObject,
    GetOverlappedResult,
    CancelIo,
};
