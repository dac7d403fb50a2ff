// The simulator as a drop-in Tandemix.dll: the adapter's state lives in a text file, so a later
// run reads what an earlier one wrote, and faults come from the simulator's own variables:
//   TANDEMIX_SIM_STATE        state file (default: TandemixSim.txt beside this DLL)
//   TANDEMIX_SIM_LOG          file to which every library call is appended, one line each
//   TANDEMIX_SIM_ABSENT=1     no adapter attached
//   TANDEMIX_SIM_OPEN_FAILS=1 attached, but the open fails
//   TANDEMIX_SIM_FAIL_AT=k    exchange k of this run fails
//   TANDEMIX_SIM_SILENT_AT=k  exchange k of this run is never answered (times out)
//   TANDEMIX_SIM_UNPLUG_AFTER=k  unplugged after exchange k: every later call fails
//   TANDEMIX_SIM_LATENCY_MS=n each exchange takes n ms
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "sim_library.h"

namespace {

char statePath[MAX_PATH];
char logPath[MAX_PATH];
int callsLogged;

int EnvironmentNumber(const char* name) {
    char value[32];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    if (length == 0 || length >= sizeof(value))
        return 0;
    return atoi(value);
}

void ReadHexBytes(const char* text, unsigned char* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        unsigned int value = 0;
        int used = 0;
        if (sscanf(text, " %2x%n", &value, &used) != 1)
            return;
        bytes[i] = static_cast<unsigned char>(value);
        text += used;
    }
}

void WriteHexLine(FILE* file, const char* name, const unsigned char* bytes, int count) {
    fprintf(file, "%s", name);
    for (int i = 0; i < count; ++i)
        fprintf(file, " %02X", bytes[i]);
    fprintf(file, "\n");
}

void LoadState(SimAdapter* adapter) {
    FILE* file = fopen(statePath, "r");
    if (!file)
        return;
    char line[256];
    while (fgets(line, sizeof(line), file)) {
        if (strncmp(line, "committed", 9) == 0)
            ReadHexBytes(line + 9, adapter->committed, kSimImageSize);
        else if (strncmp(line, "registers", 9) == 0)
            ReadHexBytes(line + 9, adapter->registers, kSimImageSize);
        else if (strncmp(line, "marker", 6) == 0)
            ReadHexBytes(line + 6, adapter->registers + 511, 1);
        else if (strncmp(line, "commits", 7) == 0)
            adapter->commitCount = atoi(line + 7);
    }
    fclose(file);
}

void SaveState(SimAdapter* adapter) {
    FILE* file = fopen(statePath, "w");
    if (!file)
        return;
    fprintf(file, "# Tandemix adapter simulator\n");
    WriteHexLine(file, "committed", adapter->committed, kSimImageSize);
    WriteHexLine(file, "registers", adapter->registers, kSimImageSize);
    WriteHexLine(file, "marker", adapter->registers + 511, 1);
    fprintf(file, "commits %d\n", adapter->commitCount);
    fclose(file);
}

void AppendCallLog(SimAdapter* adapter) {
    if (!logPath[0])
        return;
    FILE* file = fopen(logPath, "a");
    if (!file)
        return;
    int kept = adapter->callCount < kSimMaxCalls ? adapter->callCount : kSimMaxCalls;
    for (; callsLogged < kept; ++callsLogged) {
        const SimCall& call = adapter->calls[callsLogged];
        if (call.kind == kSimCallOpen)
            fprintf(file, "open %d %d %d -> %d\n", call.arguments[0], call.arguments[1],
                    call.arguments[2], call.result);
        else if (call.kind == kSimCallExchange)
            fprintf(file, "exchange %02X %02X %02X %02X %02X %02X -> %d\n", call.command[0],
                    call.command[1], call.command[2], call.command[3], call.command[4],
                    call.command[5], call.result);
        else
            fprintf(file, "close -> %d\n", call.result);
    }
    fclose(file);
}

void BeforeOpen(SimAdapter* adapter) {
    if (!adapter->open)
        LoadState(adapter);
}

void AfterClose(SimAdapter* adapter) {
    SaveState(adapter);
    AppendCallLog(adapter);
}

void Configure(HINSTANCE dll) {
    SimAdapter* adapter = SimulatedAdapter();
    SimReset(adapter);
    adapter->faults.absent = EnvironmentNumber("TANDEMIX_SIM_ABSENT") != 0;
    adapter->faults.openFails = EnvironmentNumber("TANDEMIX_SIM_OPEN_FAILS") != 0;
    adapter->faults.failAtExchange = EnvironmentNumber("TANDEMIX_SIM_FAIL_AT");
    adapter->faults.silentAtExchange = EnvironmentNumber("TANDEMIX_SIM_SILENT_AT");
    adapter->faults.unplugAfterExchange = EnvironmentNumber("TANDEMIX_SIM_UNPLUG_AFTER");
    adapter->faults.latencyMs = EnvironmentNumber("TANDEMIX_SIM_LATENCY_MS");

    DWORD length = GetEnvironmentVariableA("TANDEMIX_SIM_STATE", statePath, sizeof(statePath));
    if (length == 0 || length >= sizeof(statePath)) {
        length = GetModuleFileNameA(dll, statePath, sizeof(statePath));
        char* folderEnd = strrchr(statePath, '\\');
        const char kDefaultName[] = "TandemixSim.txt";
        if (folderEnd && length < sizeof(statePath) &&
            static_cast<size_t>(folderEnd + 1 - statePath) + sizeof(kDefaultName) <=
                sizeof(statePath))
            memcpy(folderEnd + 1, kDefaultName, sizeof(kDefaultName));
        else
            memcpy(statePath, kDefaultName, sizeof(kDefaultName));
    }
    length = GetEnvironmentVariableA("TANDEMIX_SIM_LOG", logPath, sizeof(logPath));
    if (length >= sizeof(logPath))
        logPath[0] = 0;
    SimBeforeOpen = BeforeOpen;
    SimAfterClose = AfterClose;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE dll, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        Configure(dll);
    return TRUE;
}
