// Files are checked before anything is sent or written, and an output file is written under a
// temporary name beside it and then moved over the old one, so a failure never leaves half a
// file. The transfers run without the window's settling waits.
#include "ctl_commands.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "arguments.h"
#include "config_file.h"
#include "device_transfer.h"
#include "ctl_platform.h"
#include "settings_text.h"

namespace {

// Below the commands' lines; formatted with the accepted sizes.
const char kUsageNotes[] =
    "MODE is ascii, ext-ascii or key-number (any case), or 0, 1, 2; WIDTH is %u..%u and\n"
    "HEIGHT %u..%u. -q leaves out the progress line shown on a terminal.\n"
    "Exit status: 0 done, 1 no adapter found, 2 usage error or bad input, 3 an exchange failed\n"
    "(watch: a unit failed), 4 verify found a difference, 130 Ctrl+C (make, read -o, write:\n"
    "after the step under way, leaving the file as it was).\n";
const char kVersion[] = "tandemixctl " TANDEMIX_VERSION "\n";
const int kWatchPollMs = 250;
constexpr unsigned int kMakeOptions =
    OptionBit(kOptionMode) | OptionBit(kOptionWidth) | OptionBit(kOptionHeight);

bool progressShown;
bool progressLineOpen;
const char* progressVerb = "";

// The reason of the last failure: one line, without the program's name.
char failure[1024];

// Every line goes out through WriteText, so a name comes out as it was typed.
void Print(FILE* stream, const char* format, ...) {
    char text[kConfigFilePathSize * 4];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    WriteText(stream, text);
}

void NoteFailureV(const char* format, va_list arguments) {
    vsnprintf(failure, sizeof(failure), format, arguments);
}

void NoteFailure(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    NoteFailureV(format, arguments);
    va_end(arguments);
}

// Ends a progress line that a failure cut short, so that what follows starts a line of its own.
void CloseProgressLine() {
    if (progressLineOpen)
        Print(stderr, "\n");
    progressLineOpen = false;
}

void ReportFailure() {
    CloseProgressLine();
    Print(stderr, "tandemixctl: %s\n", failure);
}

void Complain(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    NoteFailureV(format, arguments);
    va_end(arguments);
    ReportFailure();
}

void PrintProgress(int dataPercent) {
    if (!progressShown)
        return;
    // The percentage drops its remainder, so rounding up gives back the registers done.
    int registers = (dataPercent * kDeviceImageSize + 99) / 100;
    progressLineOpen = registers < kDeviceImageSize;
    Print(stderr, "\rtandemixctl: %s register %d of %d%s", progressVerb, registers,
          kDeviceImageSize, progressLineOpen ? "" : "\n"); // in one piece: stderr is unbuffered
}

void StartProgress(const char* verb, bool quiet) {
    progressShown = !quiet && StderrIsTerminal();
    progressVerb = verb;
}

// Notes the failure of a device operation, naming the register and what the transfer under way
// was doing, and returns the exit status for it.
int NoteDeviceFailure(const DeviceOutcome& outcome) {
    if (outcome.result == kDeviceNotFound) {
        if (outcome.openResult == kOpenBusy)
            NoteFailure("the Tandemix adapter is in use by another Tandemix program (the utility "
                        "or tandemixctl); try again when it has finished");
        else if (!ExplainMissingAdapter(outcome, failure, sizeof(failure)))
            NoteFailure(
                "no Tandemix adapter found (is its KB/MOUSE port plugged into a USB port?)");
        return kExitNoAdapter;
    }
    bool writing = strcmp(progressVerb, "writing") == 0;
    NoteFailure("register %u: the exchange failed while %s; the transfer stopped and the adapter "
                "was closed%s",
                outcome.failedRegister, progressVerb,
                writing ? " without the closing commit marker" : "");
    return kExitExchangeFailed;
}

int ComplainAboutDevice(const DeviceOutcome& outcome) {
    int status = NoteDeviceFailure(outcome);
    ReportFailure();
    return status;
}

// `name` is the file's name as typed, for the messages; `path` the same for the system.
bool LoadConfigFile(const char* name, const PathChar* path,
                    unsigned char record[kConfigRecordSize]) {
    unsigned int bytesRead = 0;
    int result = ReadConfigFile(path, record, &bytesRead);
    if (result == kConfigFileDone)
        return true;
    if (result == kConfigFileNotOpened)
        Complain("%s: cannot be opened: %s", name, strerror(errno));
    else if (result == kConfigFileNotRead)
        Complain("%s: cannot be read: %s", name, strerror(errno));
    else
        Complain("%s: %u bytes; a configuration file has at least %d", name, bytesRead,
                 kConfigRecordSize);
    return false;
}

bool NotInterrupted() {
    return PauseUnlessInterrupted(0);
}

// Ctrl+C while the file is written lets the bytes reach the disk, then leaves the old file as
// it was. Returns the exit status.
int SaveRecordFile(const char* name, const PathChar* path,
                   const unsigned char record[kConfigRecordSize]) {
    char reason[256];
    switch (WriteConfigFile(path, record, reason, sizeof(reason), NotInterrupted)) {
        case kConfigFileDone:
            return kExitDone;
        case kConfigFileAbandoned:
            Complain("%s: interrupted; the file was left as it was", name);
            return kExitInterrupted;
        case kConfigFileNameTooLong:
            Complain("%s: %s", name, reason);
            break;
        case kConfigFileNotReplaced:
            Complain("%s: cannot be replaced: %s", name, reason);
            break;
        default: // the file beside it, which took the bytes first
            Complain("%s%s: cannot be written: %s", name, kConfigFileTemporarySuffix, reason);
            break;
    }
    return kExitBadInput;
}

// The record the utility builds from its window after showing `shown` there. Sizes the adapter
// does not accept would be replaced by the screen's, which a command line does not have, so they
// are refused instead.
bool BuildSettingsRecord(const unsigned char shown[kConfigRecordSize], const char* source,
                         unsigned char record[kConfigRecordSize]) {
    ConfigSettings settings = DecodeConfigRecord(shown);
    char error[96];
    if (!CheckScreenSize(true, settings.width, error, sizeof(error)) ||
        !CheckScreenSize(false, settings.height, error, sizeof(error))) {
        Complain("%s: %s", source, error);
        return false;
    }
    if (settings.controlMode >= kControlModeCount) // the list shows no selection
        settings.controlMode = kNoControlMode;
    EncodeConfigRecord(settings, record);
    return true;
}

void PrintSettings(const unsigned char record[kConfigRecordSize], bool json) {
    char text[kSettingsTextSize];
    FormatSettings(record, json, text);
    Print(stdout, "%s", text);
}

int ShowCommand(const CtlRequest& request) {
    unsigned char record[kConfigRecordSize];
    if (!LoadConfigFile(request.file, request.path, record))
        return kExitBadInput;
    PrintSettings(record, request.json);
    return kExitDone;
}

int MakeCommand(const CtlRequest& request) {
    ConfigSettings settings = {request.controlMode, request.width, request.height};
    unsigned char record[kConfigRecordSize];
    EncodeConfigRecord(settings, record);
    CatchInterrupt();
    return SaveRecordFile(request.file, request.path, record);
}

int ProbeCommand(const CtlRequest&) {
    DeviceOutcome outcome = ProbeDevice();
    if (outcome.result != kDeviceDone)
        return ComplainAboutDevice(outcome);
    Print(stdout, "Tandemix adapter connected\n");
    return kExitDone;
}

int ReadCommand(const CtlRequest& request) {
    unsigned char record[kConfigRecordSize];
    if (request.file) // the transfer ends before Ctrl+C stops the command
        CatchInterrupt();
    StartProgress("reading", request.quiet);
    DeviceOutcome outcome = ReadDeviceConfig(record, PrintProgress);
    if (outcome.result != kDeviceDone)
        return ComplainAboutDevice(outcome);
    PrintSettings(record, request.json);
    if (!request.file)
        return kExitDone;
    if (!NotInterrupted()) {
        Complain("%s: interrupted; the file was left as it was", request.file);
        return kExitInterrupted;
    }
    unsigned char saved[kConfigRecordSize];
    if (!BuildSettingsRecord(record, "the adapter's settings", saved))
        return kExitBadInput;
    return SaveRecordFile(request.file, request.path, saved);
}

// The record `write` and `watch` send: FILE's settings as the utility would send them.
bool LoadSettingsRecord(const CtlRequest& request, unsigned char record[kConfigRecordSize]) {
    unsigned char file[kConfigRecordSize];
    return LoadConfigFile(request.file, request.path, file) &&
           BuildSettingsRecord(file, request.file, record);
}

// On failure notes the reason and returns the exit status for it.
int WriteRecord(const unsigned char record[kConfigRecordSize], bool quiet) {
    StartProgress("writing", quiet);
    DeviceOutcome outcome = WriteDeviceConfig(record, PrintProgress);
    return outcome.result == kDeviceDone ? kExitDone : NoteDeviceFailure(outcome);
}

// Reads the registers back and compares them with the record written; on failure notes the
// reason and returns the exit status for it.
int VerifyRecord(const unsigned char record[kConfigRecordSize], bool quiet) {
    unsigned char readBack[kConfigRecordSize];
    StartProgress("verifying", quiet);
    DeviceOutcome outcome = ReadDeviceConfig(readBack, PrintProgress);
    if (outcome.result != kDeviceDone)
        return NoteDeviceFailure(outcome);
    int first = 0;
    int differing = CountDifferingRegisters(record, readBack, &first);
    if (!differing)
        return kExitDone;
    NoteFailure("verify: register %d holds 0x%02X where 0x%02X was written (%d of %d registers "
                "differ)",
                first, readBack[first], record[first], differing, kDeviceImageSize);
    return kExitVerifyFailed;
}

int WriteCommand(const CtlRequest& request) {
    unsigned char record[kConfigRecordSize];
    if (!LoadSettingsRecord(request, record))
        return kExitBadInput;
    CatchInterrupt(); // the write goes on to its commit; Ctrl+C then leaves out the verify
    int status = WriteRecord(record, request.quiet);
    if (status == kExitDone && request.verify && !NotInterrupted()) {
        NoteFailure("interrupted after writing; the configuration was not verified");
        status = kExitInterrupted;
    } else if (status == kExitDone && request.verify) {
        status = VerifyRecord(record, request.quiet);
    }
    if (status != kExitDone)
        ReportFailure();
    else
        Print(stdout,
              request.verify ? "configuration written and verified\n" : "configuration written\n");
    return status;
}

// Polls until an adapter is there (or, with `present` false, gone); false when interrupted.
bool AwaitAdapter(bool present) {
    while ((ProbeDevice().result == kDeviceDone) != present)
        if (!PauseUnlessInterrupted(kWatchPollMs))
            return false;
    return true;
}

// One adapter after another: each is written and verified once, then must be unplugged before
// the next is taken. An interrupt ends the watch between units, never inside a write.
int WatchCommand(const CtlRequest& request) {
    unsigned char record[kConfigRecordSize];
    if (!LoadSettingsRecord(request, record))
        return kExitBadInput;
    CatchInterrupt();
    int units = 0, verified = 0;
    while (request.count == 0 || units < request.count) {
        if (StderrIsTerminal())
            Print(stderr, "waiting for an adapter...\n");
        if (!NotInterrupted() || !AwaitAdapter(true))
            break;
        ++units;
        int status = WriteRecord(record, false);
        bool written = (status == kExitDone ? VerifyRecord(record, false) : status) == kExitDone;
        CloseProgressLine();
        if (written) {
            ++verified;
            Print(stdout, "unit %d: written and verified\n", units);
        } else {
            Print(stdout, "unit %d: failed: %s\n", units, failure);
        }
        fflush(stdout); // for a log or a pipe that follows the units as they go
        if (units == request.count || !AwaitAdapter(false))
            break;
    }
    Print(stdout, "%d unit%s: %d verified, %d failed\n", units, units == 1 ? "" : "s", verified,
          units - verified);
    return verified == units ? kExitDone : kExitExchangeFailed;
}

void PrintUsage() {
    Print(stdout, "usage: tandemixctl COMMAND [OPTIONS]\n");
    for (int i = 0; i < kCtlCommandCount; ++i) {
        char synopsis[64];
        FormatSynopsis(kCtlCommands[i], synopsis, sizeof(synopsis));
        const char* line = kCtlCommands[i].summary;
        Print(stdout, "  %-36s  ", synopsis);
        for (const char* end; (end = strchr(line, '\n')); line = end + 1)
            Print(stdout, "%.*s\n%40s", static_cast<int>(end - line), line, "");
        Print(stdout, "%s\n", line);
    }
    Print(stdout, "  --help | --version\n");
    Print(stdout, kUsageNotes, kMinScreenWidth, kMaxScreenWidth, kMinScreenHeight,
          kMaxScreenHeight);
}

} // namespace

const CtlCommand kCtlCommands[] = {
    {"show", true, OptionBit(kOptionJson), 0, ShowCommand,
     "settings stored in a configuration file"},
    {"make", true, kMakeOptions, kMakeOptions, MakeCommand, "write a new configuration file"},
    {"probe", false, 0, 0, ProbeCommand, "is an adapter connected"},
    {"read", false, OptionBit(kOptionOutput) | OptionBit(kOptionJson) | OptionBit(kOptionQuiet), 0,
     ReadCommand, "read the adapter's settings (and save them as a file)"},
    {"write", true, OptionBit(kOptionNoVerify) | OptionBit(kOptionQuiet), 0, WriteCommand,
     "write a file's settings into the adapter, then read\nthem back and compare"},
    {"watch", true, OptionBit(kOptionCount), 0, WatchCommand,
     "write and verify one adapter after another as each\nis plugged in (Ctrl+C ends it between "
     "adapters)"},
};
const int kCtlCommandCount = sizeof(kCtlCommands) / sizeof(kCtlCommands[0]);

int RunCtl(int argc, PathChar** argv) {
    if (argc > kMaxArguments) {
        Complain("more than %d arguments", kMaxArguments - 1);
        return kExitBadInput;
    }
    char* text[kMaxArguments];
    char storage[kArgumentTextSize];
    ArgumentsAsText(argc, argv, text, storage);
    CtlRequest request;
    char error[256];
    if (!ParseArguments(argc, text, &request, error, sizeof(error))) {
        Complain("%s", error);
        return kExitBadInput;
    }
    for (int i = 0; i < argc; ++i)
        if (text[i] == request.file) // the same argument as the system takes it
            request.path = argv[i];
    if (request.action == kCtlHelp) {
        PrintUsage();
        return kExitDone;
    }
    if (request.action == kCtlVersion) {
        Print(stdout, "%s", kVersion);
        return kExitDone;
    }
    return request.command->run(request);
}
