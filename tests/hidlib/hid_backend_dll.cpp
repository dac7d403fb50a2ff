// The library's backend in a DLL of its own, over a table of calls the host passes, so that a
// test can unload it as a host would while one of its requests is still under way.
#include "hid_windows.h"

// Opens the adapter and sends it one command.
extern "C" __declspec(dllexport) int Exchange(const HidSystemCalls* calls) {
    const unsigned char command[kExchangeAreaSize] = {0x02, 0x82, 0x00, 0x10};
    unsigned char answer[kExchangeAreaSize];
    DeviceRecord device = {};
    OpenAdapter(WindowsHidBackend(*calls), kAdapterVendorId, 6, 6, &device);
    return ExchangeWithAdapter(WindowsHidBackend(*calls), &device, command, answer);
}
