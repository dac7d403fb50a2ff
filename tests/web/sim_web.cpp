// The simulated adapter for the browser tests' stand-in for WebHID: one adapter, its faults and
// its record of calls.
#include <emscripten.h>

#include "sim_adapter.h"

namespace {

SimAdapter adapter;
DeviceRecord device;
unsigned char send[kExchangeAreaSize], receive[kExchangeAreaSize];

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void sim_reset(int failAt, int silentAt, int unplugAt) {
    SimReset(&adapter);
    adapter.faults.failAtExchange = failAt;
    adapter.faults.silentAtExchange = silentAt;
    adapter.faults.unplugAtExchange = unplugAt;
}

EMSCRIPTEN_KEEPALIVE int sim_open() {
    return SimOpen(&adapter, kAdapterVendorId, kAdapterOutputReportLength,
                   kAdapterInputReportLength, &device);
}

EMSCRIPTEN_KEEPALIVE unsigned char* sim_send_area() {
    return send;
}

EMSCRIPTEN_KEEPALIVE unsigned char* sim_receive_area() {
    return receive;
}

// 0 answered, 1 failed, 2 no answer.
EMSCRIPTEN_KEEPALIVE int sim_exchange() {
    return SimExchange(&adapter, &device, send, receive);
}

EMSCRIPTEN_KEEPALIVE int sim_unplugged() {
    return adapter.unplugged;
}

EMSCRIPTEN_KEEPALIVE void sim_close() {
    SimClose(&adapter, &device);
}

EMSCRIPTEN_KEEPALIVE int sim_commits() {
    return adapter.commitCount;
}

EMSCRIPTEN_KEEPALIVE int sim_call_count() {
    return adapter.callCount;
}

// A call as the log shows it: "open", "close", or an exchange's six bytes in hexadecimal.
EMSCRIPTEN_KEEPALIVE const char* sim_call(int index) {
    static char line[32];
    const SimCall& call = adapter.calls[index];
    if (call.kind != kSimCallExchange)
        return call.kind == kSimCallOpen ? "open" : "close";
    const char* digits = "0123456789ABCDEF";
    for (int i = 0; i < 6; ++i) {
        line[i * 3] = digits[call.command[i] >> 4];
        line[i * 3 + 1] = digits[call.command[i] & 15];
        line[i * 3 + 2] = i < 5 ? ' ' : '\0';
    }
    return line;
}
}
