// The three library calls served by one process-wide simulated adapter, for the in-process
// tests and for the simulator's drop-in Tandemix.dll.
#pragma once

#include "sim_adapter.h"

SimAdapter* SimulatedAdapter();

// Set by the DLL build to keep the adapter's state in a file between runs.
extern void (*SimBeforeOpen)(SimAdapter* adapter);
extern void (*SimAfterClose)(SimAdapter* adapter);
