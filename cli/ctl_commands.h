// tandemixctl's commands: the configuration files and the adapter from the command line.
#pragma once

// Exit statuses; scripts rely on them.
enum : int {
    kExitDone = 0,
    kExitNoAdapter = 1,
    kExitBadInput = 2, // a usage error, a bad file or an out-of-range value
    kExitExchangeFailed = 3,
    kExitVerifyFailed = 4,
};

// Runs one command line; prints results on stdout and one line per error on stderr.
int RunCtl(int argc, char** argv);
