// Tandemix.dll's three exports: the shared open, exchange and close over the real system calls.
#include "hid_windows.h"

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
