// The process-wide simulated adapter, served with its latency and state hooks.
#include "sim_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

int simAnswerTimeoutMs = 500;
void (*SimBeforeOpen)(SimAdapter* adapter) = nullptr;
void (*SimAfterClose)(SimAdapter* adapter) = nullptr;

namespace {

SimAdapter theAdapter;

long long NowMicroseconds() {
#ifdef _WIN32
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return now.QuadPart * 1000000 / frequency.QuadPart;
#else
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000LL + now.tv_nsec / 1000;
#endif
}

} // namespace

// A sleep overshoots by a fraction of a millisecond, which dozens of exchanges add up; the last
// millisecond is waited out on the clock, so an exchange takes the latency and no more.
void SleepMilliseconds(int ms) {
    if (ms <= 0)
        return;
    long long deadline = NowMicroseconds() + ms * 1000LL;
#ifdef _WIN32
    Sleep(static_cast<DWORD>(ms - 1));
#else
    timespec wait = {(ms - 1) / 1000, ((ms - 1) % 1000) * 1000000L};
    nanosleep(&wait, nullptr);
#endif
    while (NowMicroseconds() < deadline) {
    }
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
