// tandemixctl's command line: the table of its commands, their options and the strict checks of
// their values.
#pragma once

#include "config_file.h"

// In the order the usage lists them.
enum CtlOption : int {
    kOptionMode,
    kOptionWidth,
    kOptionHeight,
    kOptionOutput,
    kOptionJson,
    kOptionNoVerify,
    kOptionQuiet,
    kOptionCount,
};

constexpr unsigned int OptionBit(CtlOption option) {
    return 1u << option;
}

struct CtlRequest;

// One row of the command table: a new command is a row and the function that runs it.
struct CtlCommand {
    const char* name;
    bool takesFile;
    unsigned int options;  // the OptionBit of each option it accepts
    unsigned int required; // of those, the ones it cannot do without
    int (*run)(const CtlRequest& request);
    const char* summary; // for the usage; '\n' starts another line
};

// The commands, defined beside the functions that run them.
extern const CtlCommand kCtlCommands[];
extern const int kCtlCommandCount;

enum CtlAction : int { kCtlRun, kCtlHelp, kCtlVersion };

struct CtlRequest {
    CtlAction action;
    const CtlCommand* command; // with kCtlRun
    const char* file;     // show, make, write, watch: the configuration file; read: -o, or null
    const PathChar* path; // the same file's name as the system takes it (set by RunCtl)
    int controlMode;      // make: the Control Mode, 0-2
    unsigned int width;   // make: the Mouse Target Screen Size in pixels
    unsigned int height;
    bool json;   // show, read: one JSON object instead of two lines
    bool quiet;  // read, write: no progress line
    bool verify; // write: read the registers back and compare
    int count;   // watch: the number of adapters to write, 0 for no limit
};

// The names of the Control Modes on the command line and in JSON, in list order.
extern const char* const kControlModeKeywords[3];

// Fills the request, or puts a one-line reason in `error` and returns false.
bool ParseArguments(int argc, char** argv, CtlRequest* request, char* error, int errorSize);

// The command's name, operands and options as the usage shows them.
void FormatSynopsis(const CtlCommand& command, char* text, int size);

// Whether the adapter accepts a screen size; else names the range.
bool CheckScreenSize(bool isWidth, unsigned int size, char* error, int errorSize);
