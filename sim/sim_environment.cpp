// The simulator's adapter kept in a state file between runs, with faults from the environment.
#include "sim_environment.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

char statePath[1024];
char logPath[1024];
char plugPath[1024];
int callsLogged;

int EnvironmentNumber(const char* name) {
    const char* value = getenv(name);
    return value ? static_cast<int>(strtoul(value, nullptr, 0)) : 0;
}

void CopyPath(char* path, size_t size, const char* from) {
    if (!from || strlen(from) >= size)
        from = "";
    memcpy(path, from, strlen(from) + 1);
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
    if (FILE* file = fopen(statePath, "r")) {
        ReadSimState(file, adapter);
        fclose(file);
    }
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
    if (plugPath[0]) {
        FILE* plug = fopen(plugPath, "r");
        adapter->faults.absent = !plug;
        if (plug)
            fclose(plug);
    }
}

void AfterClose(SimAdapter* adapter) {
    SaveState(adapter);
    AppendCallLog(adapter);
}

} // namespace

void ReadSimState(FILE* file, SimAdapter* adapter) {
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
}

void ConfigureSimFromEnvironment(const char* defaultStatePath) {
    SimAdapter* adapter = SimulatedAdapter();
    SimReset(adapter);
    adapter->faults.absent = EnvironmentNumber("TANDEMIX_SIM_ABSENT") != 0;
    adapter->faults.openFails = EnvironmentNumber("TANDEMIX_SIM_OPEN_FAILS") != 0;
    adapter->faults.busy = EnvironmentNumber("TANDEMIX_SIM_BUSY") != 0;
    adapter->faults.failAtExchange = EnvironmentNumber("TANDEMIX_SIM_FAIL_AT");
    adapter->faults.silentAtExchange = EnvironmentNumber("TANDEMIX_SIM_SILENT_AT");
    adapter->faults.unplugAtExchange = EnvironmentNumber("TANDEMIX_SIM_UNPLUG_AT");
    adapter->faults.latencyMs = EnvironmentNumber("TANDEMIX_SIM_LATENCY_MS");
    adapter->faults.stuckRegisters =
        static_cast<unsigned int>(EnvironmentNumber("TANDEMIX_SIM_STUCK"));
    const char* state = getenv("TANDEMIX_SIM_STATE");
    CopyPath(statePath, sizeof(statePath), state && *state ? state : defaultStatePath);
    CopyPath(logPath, sizeof(logPath), getenv("TANDEMIX_SIM_LOG"));
    CopyPath(plugPath, sizeof(plugPath), getenv("TANDEMIX_SIM_PLUG"));
    SimBeforeOpen = BeforeOpen;
    SimAfterClose = AfterClose;
}
