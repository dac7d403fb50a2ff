// Any six-byte commands to an open simulated adapter.
#include <stddef.h>

#include "sim_adapter.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    static SimAdapter adapter;
    SimReset(&adapter);
    DeviceRecord device;
    SimOpen(&adapter, kAdapterVendorId, 6, 6, &device);
    for (size_t at = 0; at + 6 <= size; at += 6) {
        unsigned char answer[6];
        SimExchange(&adapter, &device, data + at, answer);
    }
    SimClose(&adapter, &device);
    return 0;
}
