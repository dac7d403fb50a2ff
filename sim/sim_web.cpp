// The simulated adapter for the browser tests' stand-in for WebHID: one adapter, its faults and
// its record of calls.
#include <emscripten.h>
#include <stdio.h>

#include "sim_adapter.h"

namespace {

SimAdapter adapter;
DeviceRecord device;
unsigned char areas[2][kExchangeAreaSize]; // an exchange's command, then its answer

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

EMSCRIPTEN_KEEPALIVE unsigned char* sim_areas() {
    return areas[0];
}

// 0 answered, 1 failed, 2 no answer.
EMSCRIPTEN_KEEPALIVE int sim_exchange() {
    return SimExchange(&adapter, &device, areas[0], areas[1]);
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

// The calls the log holds: it keeps the first kSimMaxCalls.
EMSCRIPTEN_KEEPALIVE int sim_call_count() {
    return adapter.callCount < kSimMaxCalls ? adapter.callCount : kSimMaxCalls;
}

// A call as the log shows it: "open", "close", or an exchange's six bytes in hexadecimal.
EMSCRIPTEN_KEEPALIVE const char* sim_call(int index) {
    static char line[24];
    const SimCall& call = adapter.calls[index];
    if (call.kind != kSimCallExchange)
        return call.kind == kSimCallOpen ? "open" : "close";
    const unsigned char* c = call.command;
    snprintf(line, sizeof(line), "%02X %02X %02X %02X %02X %02X", c[0], c[1], c[2], c[3], c[4],
             c[5]);
    return line;
}
}
