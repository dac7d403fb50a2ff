// tandemixctl's command line: the commands, their options and the strict checks of their values.
#pragma once

enum CtlCommand : int {
    kCtlHelp,
    kCtlVersion,
    kCtlShow,
    kCtlMake,
    kCtlProbe,
    kCtlRead,
    kCtlWrite,
    kCtlWatch,
};

struct CtlRequest {
    CtlCommand command;
    const char* file;   // show, make, write, watch: the configuration file; read: -o, or null
    int controlMode;    // make: the Control Mode entry, 0-2
    unsigned int width; // make: the Mouse Target Screen Size as the utility shows it
    unsigned int height;
    bool json;   // show, read: one JSON object instead of two lines
    bool quiet;  // read, write: no progress line
    bool verify; // write: read the registers back and compare
    int count;   // watch: the number of adapters to write, 0 for no limit
};

// The names of the Control Mode entries on the command line and in JSON, in list order.
extern const char* const kControlModeKeywords[3];

// Fills the request, or puts a one-line reason in `error` and returns false.
bool ParseArguments(int argc, char** argv, CtlRequest* request, char* error, int errorSize);

// Whether a size as the utility shows it is one the adapter accepts; else names the range.
bool CheckScreenSize(bool isWidth, unsigned int size, char* error, int errorSize);
