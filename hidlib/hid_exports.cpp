// Tandemix.dll's three exports: the shared open, exchange and close over the real system calls.
#include "hid_windows.h"

// Unloaded by FreeLibrary rather than at the process's end: a request of an adapter left open
// must not outlive the memory it writes into. Nothing can be open before the first open.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID processEnding) {
    if (reason == DLL_PROCESS_DETACH && !processEnding && WindowsHidCallsLoaded())
        CloseAllAdapters(WindowsHidBackend(WindowsHidCalls()));
    return TRUE;
}

extern "C" __attribute__((dllexport)) int WINAPI OpenHidDevice(int vendorId, int outputReportLength,
                                                               int inputReportLength,
                                                               DeviceRecord* device) {
    return OpenAdapter(WindowsHidBackend(WindowsHidCalls()), vendorId, outputReportLength,
                       inputReportLength, device);
}

extern "C" __attribute__((dllexport)) int WINAPI WriteHidDevice(DeviceRecord* device,
                                                                const unsigned char* send,
                                                                unsigned char* receive) {
    return ExchangeWithAdapter(WindowsHidBackend(WindowsHidCalls()), device, send, receive);
}

extern "C" __attribute__((dllexport)) int WINAPI CloseHidDevice(DeviceRecord* device) {
    return CloseAdapter(WindowsHidBackend(WindowsHidCalls()), device);
}
