// One process-wide simulated adapter with its latency and its state hooks: the calls behind the
// simulator's Tandemix.dll, its in-process stand-in and its stand-in for hidapi.
#pragma once

#include "sim_adapter.h"

SimAdapter* SimulatedAdapter();

// How long the library waits for an answer that never comes; tests may shorten it.
extern int simAnswerTimeoutMs;

// Set to keep the adapter's state in a file between runs.
extern void (*SimBeforeOpen)(SimAdapter* adapter);
extern void (*SimAfterClose)(SimAdapter* adapter);

int SimLibraryOpen(int vendorId, int outputReportLength, int inputReportLength,
                   DeviceRecord* device);
// Takes the adapter's latency; the caller waits out an answer that never comes.
SimExchangeResult SimLibraryExchange(DeviceRecord* device, const unsigned char* send,
                                     unsigned char* receive);
int SimLibraryClose(DeviceRecord* device);

void SleepMilliseconds(int ms);
