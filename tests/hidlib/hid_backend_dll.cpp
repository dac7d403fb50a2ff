// The library's backend in a DLL of its own, over a table of calls the host passes, so that a
// test can unload it as a host would while one of its requests is still under way.
#include "hid_windows.h"

extern "C" __declspec(dllexport) int OpenOver(const HidSystemCalls* calls, DeviceRecord* device) {
    return OpenAdapter(WindowsHidBackend(*calls), kAdapterVendorId, 6, 6, device);
}

extern "C" __declspec(dllexport) int ExchangeOver(const HidSystemCalls* calls, DeviceRecord* device,
                                                  const unsigned char* send,
                                                  unsigned char* receive) {
    return ExchangeWithAdapter(WindowsHidBackend(*calls), device, send, receive);
}
