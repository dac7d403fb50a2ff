// Every option belongs to some commands only, and every value is checked in full: a number is
// decimal digits and nothing else, a mode one of the three names or indexes.
#include "arguments.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>

#include "config_record.h"

const char* const kControlModeKeywords[3] = {"ascii", "ext-ascii", "key-number"};

namespace {

struct Option {
    const char* name;
    const char* value; // what the usage calls its value; null for a switch
};

// Indexed by CtlOption.
const Option kOptions[] = {
    {"-m", "MODE"},      {"-x", "WIDTH"},          {"-y", "HEIGHT"}, {"-o", "FILE"},
    {"--json", nullptr}, {"--no-verify", nullptr}, {"-q", nullptr},  {"--count", "N"},
};
constexpr int kOptionTotal = sizeof(kOptions) / sizeof(kOptions[0]);

bool Fail(char* error, int errorSize, const char* format, const char* detail) {
    snprintf(error, static_cast<size_t>(errorSize), format, detail);
    return false;
}

// Appends to the text as far as it has room.
void Append(char* text, int size, const char* format, const char* detail = "",
            const char* more = "") {
    size_t used = strlen(text);
    snprintf(text + used, static_cast<size_t>(size) - used, format, detail, more);
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

bool ApplyOption(int option, const char* value, CtlRequest* request, char* error, int errorSize) {
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
        case kOptionNoVerify:
            request->verify = false;
            return true;
        case kOptionQuiet:
            request->quiet = true;
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

// "-m MODE, -x WIDTH and -y HEIGHT": the options a command cannot do without.
bool FailForRequired(const CtlCommand& command, char* error, int errorSize) {
    snprintf(error, static_cast<size_t>(errorSize), "%s needs ", command.name);
    int left = __builtin_popcount(command.required);
    for (int option = 0; option < kOptionTotal; ++option) {
        if (!(command.required & (1u << option)))
            continue;
        --left;
        Append(error, errorSize, "%s %s", kOptions[option].name, kOptions[option].value);
        Append(error, errorSize, left > 1 ? ", " : left == 1 ? " and " : "");
    }
    return false;
}

} // namespace

bool CheckScreenSize(bool isWidth, unsigned int size, char* error, int errorSize) {
    if (isWidth ? ScreenWidthAccepted(size) : ScreenHeightAccepted(size))
        return true;
    snprintf(error, static_cast<size_t>(errorSize), "screen %s %u is outside %u..%u",
             isWidth ? "width" : "height", size, isWidth ? kMinScreenWidth : kMinScreenHeight,
             isWidth ? kMaxScreenWidth : kMaxScreenHeight);
    return false;
}

// The options it needs, FILE, then the options it may take, each in brackets.
void FormatSynopsis(const CtlCommand& command, char* text, int size) {
    snprintf(text, static_cast<size_t>(size), "%s", command.name);
    for (int option = 0; option < kOptionTotal; ++option)
        if (command.required & (1u << option))
            Append(text, size, " %s %s", kOptions[option].name, kOptions[option].value);
    if (command.takesFile)
        Append(text, size, " FILE");
    for (int option = 0; option < kOptionTotal; ++option) {
        if (!(command.options & ~command.required & (1u << option)))
            continue;
        if (kOptions[option].value)
            Append(text, size, " [%s %s]", kOptions[option].name, kOptions[option].value);
        else
            Append(text, size, " [%s]", kOptions[option].name);
    }
}

bool ParseArguments(int argc, char** argv, CtlRequest* request, char* error, int errorSize) {
    *request = CtlRequest();
    request->controlMode = -1;
    request->verify = true;
    if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        request->action = kCtlHelp;
        return true;
    }
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        request->action = kCtlVersion;
        return true;
    }
    if (argc < 2)
        return Fail(error, errorSize, "%s", "no command given; tandemixctl --help lists them");
    const CtlCommand* command = nullptr;
    for (int i = 0; i < kCtlCommandCount; ++i)
        if (strcmp(argv[1], kCtlCommands[i].name) == 0)
            command = &kCtlCommands[i];
    if (!command)
        return Fail(error, errorSize, "unknown command '%s'; tandemixctl --help lists the commands",
                    argv[1]);
    request->command = command;
    const char* positional = nullptr;
    unsigned int given = 0;
    for (int i = 2; i < argc; ++i) {
        const char* argument = argv[i];
        if (argument[0] != '-' || argument[1] == '\0') {
            if (!command->takesFile || positional)
                return Fail(error, errorSize, "unexpected argument '%s'", argument);
            positional = argument;
            continue;
        }
        int option = 0;
        while (option < kOptionTotal && strcmp(argument, kOptions[option].name) != 0)
            ++option;
        if (option == kOptionTotal || !(command->options & (1u << option)))
            return Fail(error, errorSize, "option '%s' does not belong here", argument);
        const char* value = nullptr;
        if (kOptions[option].value) {
            if (i + 1 == argc)
                return Fail(error, errorSize, "option %s needs a value", argument);
            value = argv[++i];
        }
        if (!ApplyOption(option, value, request, error, errorSize))
            return false;
        given |= 1u << option;
    }
    if (command->takesFile) {
        if (!positional)
            return Fail(error, errorSize, "%s needs a FILE", command->name);
        request->file = positional;
    }
    if ((given & command->required) != command->required)
        return FailForRequired(*command, error, errorSize);
    return true;
}
