// The simulator: the input up to its first zero byte as its state file, the rest as six-byte
// commands to the adapter opened on that state.
#include <string.h>

#include "sim_environment.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    static SimAdapter adapter;
    SimReset(&adapter);
    const unsigned char* end = static_cast<const unsigned char*>(memchr(data, 0, size));
    size_t stateBytes = end ? static_cast<size_t>(end - data) : size;
    if (FILE* file = fmemopen(const_cast<unsigned char*>(data), stateBytes, "r")) {
        ReadSimState(file, &adapter);
        fclose(file);
    }
    DeviceRecord device;
    SimOpen(&adapter, kAdapterVendorId, 6, 6, &device);
    for (size_t at = stateBytes + 1; at + 6 <= size; at += 6) {
        unsigned char answer[6];
        SimExchange(&adapter, &device, data + at, answer);
    }
    SimClose(&adapter, &device);
    return 0;
}
