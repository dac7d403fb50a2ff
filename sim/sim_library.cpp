// OpenHidDevice, WriteHidDevice and CloseHidDevice over the simulated adapter, with its latency.
#include "sim_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

void (*SimBeforeOpen)(SimAdapter* adapter) = nullptr;
void (*SimAfterClose)(SimAdapter* adapter) = nullptr;

namespace {

SimAdapter theAdapter;

void SleepMilliseconds(int ms) {
    if (ms <= 0)
        return;
#ifdef _WIN32
    Sleep(static_cast<DWORD>(ms));
#else
    timespec wait = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&wait, nullptr);
#endif
}

} // namespace

SimAdapter* SimulatedAdapter() {
    return &theAdapter;
}

extern "C" int WINAPI OpenHidDevice(int vendorId, int outputReportLength, int inputReportLength,
                                    DeviceRecord* device) {
    if (SimBeforeOpen)
        SimBeforeOpen(&theAdapter);
    return SimOpen(&theAdapter, vendorId, outputReportLength, inputReportLength, device);
}

extern "C" int WINAPI WriteHidDevice(DeviceRecord* device, const unsigned char* send,
                                     unsigned char* receive) {
    SleepMilliseconds(theAdapter.faults.latencyMs);
    SimExchangeResult result = SimExchange(&theAdapter, device, send, receive);
    if (result == kSimNoAnswer)
        SleepMilliseconds(kSimAnswerTimeoutMs);
    return result == kSimAnswered ? 0 : 1;
}

extern "C" int WINAPI CloseHidDevice(DeviceRecord* device) {
    int result = SimClose(&theAdapter, device);
    if (SimAfterClose)
        SimAfterClose(&theAdapter);
    return result;
}
