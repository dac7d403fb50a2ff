// tandemixctl's commands: the configuration files and the adapter from the command line.
#pragma once

#include "config_file.h"

// Exit statuses; scripts rely on them.
enum : int {
    kExitDone = 0,
    kExitNoAdapter = 1,
    kExitBadInput = 2, // a usage error, a bad file or an out-of-range value
    kExitExchangeFailed = 3,
    kExitVerifyFailed = 4,
    kExitInterrupted = 130, // Ctrl+C, as a shell reports a program that SIGINT ended
};

enum : int { kMaxArguments = 64 }; // the program's name included

// Runs one command line; prints results on stdout and one line per error on stderr.
int RunCtl(int argc, PathChar** argv);
