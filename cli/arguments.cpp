// Every option belongs to some commands only, and every value is checked in full: a number is
// decimal digits and nothing else, a mode one of the three names or indexes.
#include "arguments.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>

#include "config_record.h"

const char* const kControlModeKeywords[3] = {"ascii", "ext-ascii", "key-number"};

namespace {

struct CommandName {
    const char* name;
    CtlCommand command;
    bool takesFile;
};

const CommandName kCommands[] = {
    {"show", kCtlShow, true},  {"make", kCtlMake, true},   {"probe", kCtlProbe, false},
    {"read", kCtlRead, false}, {"write", kCtlWrite, true}, {"watch", kCtlWatch, true},
};

enum OptionId : int {
    kOptionMode,
    kOptionWidth,
    kOptionHeight,
    kOptionOutput,
    kOptionJson,
    kOptionQuiet,
    kOptionNoVerify,
    kOptionCount
};

struct Option {
    OptionId id;
    const char* name;
    unsigned int commands; // bit per CtlCommand that accepts it
    bool takesValue;
};

constexpr unsigned int Bit(CtlCommand command) {
    return 1u << command;
}

const Option kOptions[] = {
    {kOptionMode, "-m", Bit(kCtlMake), true},
    {kOptionWidth, "-x", Bit(kCtlMake), true},
    {kOptionHeight, "-y", Bit(kCtlMake), true},
    {kOptionOutput, "-o", Bit(kCtlRead), true},
    {kOptionJson, "--json", Bit(kCtlShow) | Bit(kCtlRead), false},
    {kOptionQuiet, "-q", Bit(kCtlRead) | Bit(kCtlWrite), false},
    {kOptionNoVerify, "--no-verify", Bit(kCtlWrite), false},
    {kOptionCount, "--count", Bit(kCtlWatch), true},
};

bool Fail(char* error, int errorSize, const char* format, const char* detail) {
    snprintf(error, static_cast<size_t>(errorSize), format, detail);
    return false;
}

// Decimal digits only, at most six of them.
bool ParseNumber(const char* text, unsigned int* value) {
    size_t length = strlen(text);
    if (length == 0 || length > 6 || strspn(text, "0123456789") != length)
        return false;
    unsigned int number = 0;
    for (size_t i = 0; i < length; ++i)
        number = number * 10 + static_cast<unsigned int>(text[i] - '0');
    *value = number;
    return true;
}

bool ParseControlMode(const char* text, int* mode) {
    for (int i = 0; i < kControlModeCount; ++i) {
        char index[2] = {static_cast<char>('0' + i), '\0'};
        if (strcasecmp(text, kControlModeKeywords[i]) == 0 || strcmp(text, index) == 0) {
            *mode = i;
            return true;
        }
    }
    return false;
}

bool ParseSize(bool isWidth, const char* text, unsigned int* size, char* error, int errorSize) {
    if (!ParseNumber(text, size)) {
        snprintf(error, static_cast<size_t>(errorSize), "%s needs a number of pixels, not '%s'",
                 isWidth ? "-x" : "-y", text);
        return false;
    }
    return CheckScreenSize(isWidth, *size, error, errorSize);
}

bool ApplyOption(OptionId option, const char* value, CtlRequest* request, char* error,
                 int errorSize) {
    switch (option) {
        case kOptionMode:
            if (!ParseControlMode(value, &request->controlMode))
                return Fail(error, errorSize,
                            "unknown control mode '%s'; use ascii, ext-ascii, key-number, or 0, "
                            "1, 2",
                            value);
            return true;
        case kOptionWidth:
            return ParseSize(true, value, &request->width, error, errorSize);
        case kOptionHeight:
            return ParseSize(false, value, &request->height, error, errorSize);
        case kOptionOutput:
            request->file = value;
            return true;
        case kOptionJson:
            request->json = true;
            return true;
        case kOptionQuiet:
            request->quiet = true;
            return true;
        case kOptionNoVerify:
            request->verify = false;
            return true;
        case kOptionCount: {
            unsigned int count = 0;
            if (!ParseNumber(value, &count) || count == 0)
                return Fail(error, errorSize, "--count needs a number of adapters, not '%s'",
                            value);
            request->count = static_cast<int>(count);
            return true;
        }
    }
    return false;
}

} // namespace

bool CheckScreenSize(bool isWidth, unsigned int size, char* error, int errorSize) {
    unsigned int lowest = (isWidth ? kMinStoredWidth : kMinStoredHeight) + 1;
    unsigned int highest = (isWidth ? kMaxStoredWidth : kMaxStoredHeight) + 1;
    if (size >= lowest && size <= highest)
        return true;
    snprintf(error, static_cast<size_t>(errorSize), "screen %s %u is outside %u..%u",
             isWidth ? "width" : "height", size, lowest, highest);
    return false;
}

bool ParseArguments(int argc, char** argv, CtlRequest* request, char* error, int errorSize) {
    *request = CtlRequest();
    request->controlMode = -1;
    request->verify = true;
    if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        request->command = kCtlHelp;
        return true;
    }
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        request->command = kCtlVersion;
        return true;
    }
    if (argc < 2)
        return Fail(error, errorSize, "%s", "no command given; tandemixctl --help lists them");
    const CommandName* command = nullptr;
    for (const CommandName& known : kCommands)
        if (strcmp(argv[1], known.name) == 0)
            command = &known;
    if (!command)
        return Fail(error, errorSize, "unknown command '%s'; tandemixctl --help lists the commands",
                    argv[1]);
    request->command = command->command;
    const char* positional = nullptr;
    for (int i = 2; i < argc; ++i) {
        const char* argument = argv[i];
        if (argument[0] != '-' || argument[1] == '\0') {
            if (!command->takesFile || positional)
                return Fail(error, errorSize, "unexpected argument '%s'", argument);
            positional = argument;
            continue;
        }
        const Option* option = nullptr;
        for (const Option& known : kOptions)
            if (strcmp(argument, known.name) == 0)
                option = &known;
        if (!option || !(option->commands & Bit(command->command)))
            return Fail(error, errorSize, "option '%s' does not belong here", argument);
        const char* value = nullptr;
        if (option->takesValue) {
            if (i + 1 == argc)
                return Fail(error, errorSize, "option %s needs a value", argument);
            value = argv[++i];
        }
        if (!ApplyOption(option->id, value, request, error, errorSize))
            return false;
    }
    if (command->takesFile) {
        if (!positional)
            return Fail(error, errorSize, "%s needs a FILE", command->name);
        request->file = positional;
    }
    if (request->command == kCtlMake &&
        (request->controlMode < 0 || request->width == 0 || request->height == 0))
        return Fail(error, errorSize, "%s needs -m MODE, -x WIDTH and -y HEIGHT", "make");
    return true;
}
