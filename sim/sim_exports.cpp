// OpenHidDevice, WriteHidDevice and CloseHidDevice over the simulated adapter.
#include "sim_library.h"

extern "C" int WINAPI OpenHidDevice(int vendorId, int outputReportLength, int inputReportLength,
                                    DeviceRecord* device) {
    return SimLibraryOpen(vendorId, outputReportLength, inputReportLength, device);
}

extern "C" int WINAPI WriteHidDevice(DeviceRecord* device, const unsigned char* send,
                                     unsigned char* receive) {
    SimExchangeResult result = SimLibraryExchange(device, send, receive);
    if (result == kSimNoAnswer)
        SleepMilliseconds(simAnswerTimeoutMs);
    return result == kSimAnswered ? 0 : 1;
}

extern "C" int WINAPI CloseHidDevice(DeviceRecord* device) {
    return SimLibraryClose(device);
}
