// Prints what one exchange and one open-and-close cost inside our Tandemix.dll, over the fake
// HID stack whose adapter answers at once: the library's own overhead, with no USB in it.
#include <windows.h>

#include <stdio.h>

#include "bench_clock.h"
#include "fake_hid_stack.h"
#include "hid_windows.h"

namespace {

constexpr int kExchanges = 200000;
constexpr int kOpenRounds = 200;
// The fake never hands a handle out twice. Each open takes ten: the interface list, a file
// opened without access and its preparsed data for each of the three interfaces, the adapter
// opened for reading and writing, the event and the transfer lock.
constexpr int kOpensPerRound = kFakeMaxHandles / 10;

// Wine's own keyboard and mouse, then the adapter.
void StartFake() {
    fakeHid = FakeHid{};
    fakeHid.interfaces[2] = fakeHid.interfaces[0];
    fakeHid.interfaces[0] = {0x845E, 0x0001, 9, 2, true};
    fakeHid.interfaces[1] = {0x845E, 0x0001, 5, 1, true};
}

int OpenFakeAdapter(DeviceRecord* device) {
    return OpenAdapter(WindowsHidBackend(kFakeHidCalls), kAdapterVendorId,
                       kAdapterOutputReportLength, kAdapterInputReportLength, device);
}

bool BenchExchanges() {
    StartFake();
    DeviceRecord device;
    if (OpenFakeAdapter(&device) != kOpenDone)
        return false;
    unsigned char send[kExchangeAreaSize] = {0x02, 0x82, 0x00, 0x10};
    unsigned char receive[kExchangeAreaSize];
    int failures = 0;
    LONGLONG start = Now();
    for (int i = 0; i < kExchanges; ++i) {
        send[3] = static_cast<unsigned char>(i);
        failures += ExchangeWithAdapter(WindowsHidBackend(kFakeHidCalls), &device, send, receive) !=
                    kExchangeDone;
    }
    LONGLONG ticks = Now() - start;
    CloseAdapter(WindowsHidBackend(kFakeHidCalls), &device);
    printf("exchange:       %.3f us each (%d exchanges, %d failed)\n",
           1e3 * Milliseconds(ticks) / kExchanges, kExchanges, failures);
    return failures == 0;
}

bool BenchOpenAndClose() {
    LONGLONG ticks = 0;
    int failures = 0;
    for (int round = 0; round < kOpenRounds; ++round) {
        StartFake();
        LONGLONG start = Now();
        for (int i = 0; i < kOpensPerRound; ++i) {
            DeviceRecord device;
            failures += OpenFakeAdapter(&device) != kOpenDone;
            CloseAdapter(WindowsHidBackend(kFakeHidCalls), &device);
        }
        ticks += Now() - start;
    }
    int opens = kOpenRounds * kOpensPerRound;
    printf("open and close: %.3f us each (%d opens past two other interfaces, %d failed)\n",
           1e3 * Milliseconds(ticks) / opens, opens, failures);
    return failures == 0;
}

} // namespace

int main() {
    printf("Tandemix.dll on the fake HID stack (fake included)\n");
    bool exchangesWork = BenchExchanges();
    bool opensWork = BenchOpenAndClose();
    return exchangesWork && opensWork ? 0 : 1;
}
