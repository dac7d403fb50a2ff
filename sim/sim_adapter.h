// A simulated Tandemix adapter: its register file, the two register commands, the commit frame
// of register 511, injectable faults, and a record of every library call made to it.
#pragma once

#include "tandemix_hid.h"

enum : int {
    kSimRegisterCount = 65536,
    kSimImageSize = 32,
    kSimMaxCalls = 8192,
};

enum SimCallKind : int { kSimCallOpen, kSimCallExchange, kSimCallClose };

struct SimCall {
    SimCallKind kind;
    int arguments[3];         // the open's three integers
    unsigned char command[6]; // an exchange's command bytes
    int result;
};

// Faults to inject; exchange numbers count from 1 over the adapter's whole life (SimReset).
struct SimFaults {
    bool absent;                 // no adapter attached: every open fails
    bool openFails;              // attached, but the open fails
    int failAtExchange;          // this exchange reports failure at once (0: none)
    int silentAtExchange;        // this exchange gets no answer: the library times out (0: none)
    int unplugAtExchange;        // pulled out at this exchange: it and every later call fail
                                 // (0: never)
    int latencyMs;               // time each exchange takes
    unsigned int stuckRegisters; // bit n: image register n keeps its value on writes
    bool busy;                   // attached, but held by another program: the open says busy
};

enum SimExchangeResult : int { kSimAnswered, kSimFailed, kSimNoAnswer };

struct SimAdapter {
    unsigned char registers[kSimRegisterCount]; // what reads return
    unsigned char committed[kSimImageSize];     // the configuration that survives a power cycle
    int commitCount;
    bool open;
    bool unplugged;
    bool frameOpen;               // 511 <- 0x00 seen, 511 <- 0x48 not yet
    unsigned int framedRegisters; // bit n: image register n written inside the open frame
    int exchangeCount;
    SimFaults faults;
    SimCall calls[kSimMaxCalls];
    int callCount; // may exceed kSimMaxCalls; only the first kSimMaxCalls are kept
};

// A new adapter: all registers and the committed image zero, no faults, an empty call record.
void SimReset(SimAdapter* adapter);

// The three library calls, without any waiting (the caller applies the latency).
int SimOpen(SimAdapter* adapter, int vendorId, int outputLength, int inputLength,
            DeviceRecord* device);
SimExchangeResult SimExchange(SimAdapter* adapter, DeviceRecord* device, const unsigned char* send,
                              unsigned char* receive);
int SimClose(SimAdapter* adapter, DeviceRecord* device);

// Counts of recorded calls of one kind, for tests.
int SimCountCalls(const SimAdapter* adapter, SimCallKind kind);
