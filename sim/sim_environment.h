// The simulator outside a test program: the adapter's state lives in a text file, so a later run
// reads what an earlier one wrote, and faults come from the simulator's own variables:
//   TANDEMIX_SIM_STATE        state file (default: the one the caller names)
//   TANDEMIX_SIM_LOG          file to which every library call is appended, one line each
//   TANDEMIX_SIM_ABSENT=1     no adapter attached
//   TANDEMIX_SIM_OPEN_FAILS=1 attached, but the open fails
//   TANDEMIX_SIM_BUSY=1       attached, but another of our programs holds it: the open says busy
//   TANDEMIX_SIM_FAIL_AT=k    exchange k of this run fails
//   TANDEMIX_SIM_SILENT_AT=k  exchange k of this run is never answered (times out)
//   TANDEMIX_SIM_UNPLUG_AT=k  pulled out at exchange k: it and every later call fail
//   TANDEMIX_SIM_LATENCY_MS=n each exchange takes n ms
//   TANDEMIX_SIM_STUCK=mask   image registers (bit n: register n) that ignore writes
//   TANDEMIX_SIM_PLUG=file    the adapter is plugged in while this file exists
#pragma once

#include <stdio.h>

#include "sim_library.h"

// Takes the adapter's committed image, registers, commit marker and commit count from a state
// file's lines; lines it does not know, and values it cannot read, are passed over.
void ReadSimState(FILE* file, SimAdapter* adapter);

// Resets the process's adapter, takes its faults from the environment and keeps its state in
// the file TANDEMIX_SIM_STATE names, else in `defaultStatePath`.
void ConfigureSimFromEnvironment(const char* defaultStatePath);
