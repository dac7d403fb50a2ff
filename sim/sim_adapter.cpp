// The simulated adapter's behaviour, free of any platform call.
#include "sim_adapter.h"

#include <string.h>

namespace {

const unsigned int kSimDeviceMagic = 0x54584D53; // marks a record the simulator opened
const unsigned int kAllImageRegisters = 0xFFFFFFFFu;
const unsigned int kCommitRegister = 511;

void RecordCall(SimAdapter* adapter, const SimCall& call) {
    if (adapter->callCount < kSimMaxCalls)
        adapter->calls[adapter->callCount] = call;
    ++adapter->callCount;
}

bool IsOpenRecord(const SimAdapter* adapter, const DeviceRecord* device) {
    return adapter->open && device && device->words[0] == kSimDeviceMagic;
}

// Applies a write to the register file and follows the commit frame.
void StoreRegister(SimAdapter* adapter, unsigned int address, unsigned char value) {
    bool stuck = address < kSimImageSize && (adapter->faults.stuckRegisters >> address) & 1u;
    if (!stuck)
        adapter->registers[address] = value;
    if (address == kCommitRegister) {
        if (value == 0x00) {
            adapter->frameOpen = true;
            adapter->framedRegisters = 0;
        } else {
            if (value == 0x48 && adapter->frameOpen &&
                adapter->framedRegisters == kAllImageRegisters) {
                memcpy(adapter->committed, adapter->registers, kSimImageSize);
                ++adapter->commitCount;
            }
            adapter->frameOpen = false;
        }
    } else if (address < kSimImageSize && adapter->frameOpen) {
        adapter->framedRegisters |= 1u << address;
    }
}

} // namespace

void SimReset(SimAdapter* adapter) {
    memset(adapter, 0, sizeof(*adapter));
}

int SimOpen(SimAdapter* adapter, int vendorId, int outputLength, int inputLength,
            DeviceRecord* device) {
    SimCall call = {};
    call.kind = kSimCallOpen;
    call.arguments[0] = vendorId;
    call.arguments[1] = outputLength;
    call.arguments[2] = inputLength;
    bool matches = vendorId == kAdapterVendorId && outputLength == kAdapterOutputReportLength &&
                   inputLength == kAdapterInputReportLength;
    bool present = matches && !adapter->faults.absent && !adapter->unplugged;
    bool busy = present && adapter->faults.busy;
    bool opens = present && !busy && !adapter->faults.openFails && !adapter->open;
    memset(device, 0, sizeof(*device));
    if (opens) {
        device->words[0] = kSimDeviceMagic;
        adapter->open = true;
        adapter->frameOpen = false;
    }
    call.result = opens ? kOpenDone : busy ? kOpenBusy : kOpenNotFound;
    RecordCall(adapter, call);
    return call.result;
}

SimExchangeResult SimExchange(SimAdapter* adapter, DeviceRecord* device, const unsigned char* send,
                              unsigned char* receive) {
    SimCall call = {};
    call.kind = kSimCallExchange;
    memcpy(call.command, send, sizeof(call.command));
    int number = ++adapter->exchangeCount;

    SimExchangeResult result = kSimAnswered;
    bool isRead = send[0] == 0x02 && send[1] == 0x82 && send[4] == 0 && send[5] == 0;
    bool isWrite = send[0] == 0x02 && send[1] == 0x81 && send[5] == 0;
    if (adapter->faults.unplugAtExchange != 0 && number >= adapter->faults.unplugAtExchange)
        adapter->unplugged = true;
    if (!IsOpenRecord(adapter, device) || adapter->unplugged ||
        number == adapter->faults.failAtExchange)
        result = kSimFailed;
    else if (number == adapter->faults.silentAtExchange || (!isRead && !isWrite))
        result = kSimNoAnswer;

    if (result == kSimAnswered) {
        unsigned int address = static_cast<unsigned int>(send[2]) * 256u + send[3];
        if (isWrite)
            StoreRegister(adapter, address, send[4]);
        memcpy(receive, send, 4);
        receive[4] = adapter->registers[address];
        receive[5] = 0;
    }
    call.result = result == kSimAnswered ? 0 : 1;
    RecordCall(adapter, call);
    return result;
}

int SimClose(SimAdapter* adapter, DeviceRecord* device) {
    SimCall call = {};
    call.kind = kSimCallClose;
    bool wasOpen = IsOpenRecord(adapter, device);
    if (wasOpen) {
        adapter->open = false;
        adapter->frameOpen = false;
    }
    if (device)
        memset(device, 0, sizeof(*device));
    call.result = wasOpen ? 0 : 1;
    RecordCall(adapter, call);
    return call.result;
}

int SimCountCalls(const SimAdapter* adapter, SimCallKind kind) {
    int count = 0;
    int kept = adapter->callCount < kSimMaxCalls ? adapter->callCount : kSimMaxCalls;
    for (int i = 0; i < kept; ++i)
        if (adapter->calls[i].kind == kind)
            ++count;
    return count;
}
