// The process-wide simulated adapter, served with its latency and state hooks.
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

} // namespace

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

SimAdapter* SimulatedAdapter() {
    return &theAdapter;
}

int SimLibraryOpen(int vendorId, int outputReportLength, int inputReportLength,
                   DeviceRecord* device) {
    if (SimBeforeOpen)
        SimBeforeOpen(&theAdapter);
    return SimOpen(&theAdapter, vendorId, outputReportLength, inputReportLength, device);
}

SimExchangeResult SimLibraryExchange(DeviceRecord* device, const unsigned char* send,
                                     unsigned char* receive) {
    SleepMilliseconds(theAdapter.faults.latencyMs);
    return SimExchange(&theAdapter, device, send, receive);
}

int SimLibraryClose(DeviceRecord* device) {
    int result = SimClose(&theAdapter, device);
    if (SimAfterClose)
        SimAfterClose(&theAdapter);
    return result;
}
