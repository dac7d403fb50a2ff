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

const char kUsage[] =
    "usage: tandemixctl COMMAND [OPTIONS]\n"
    "  show FILE [--json]                    settings stored in a configuration file\n"
    "  make -m MODE -x WIDTH -y HEIGHT FILE  write a new configuration file\n"
    "  probe                                 is an adapter connected\n"
    "  read [-o FILE] [--json] [-q]          read the adapter's settings (and save them as a "
    "file)\n"
    "  write FILE [--no-verify] [-q]         write a file's settings into the adapter, then read\n"
    "                                        them back and compare\n"
    "  watch FILE [--count N]                write and verify one adapter after another as each\n"
    "                                        is plugged in (Ctrl+C ends it between adapters)\n"
    "  --help | --version\n"
    "MODE is ascii, ext-ascii or key-number (any case), or 0, 1, 2; WIDTH is 641..15361 and\n"
    "HEIGHT 481..8641. -q leaves out the progress line shown on a terminal.\n"
    "Exit status: 0 done, 1 no adapter found, 2 usage error or bad input, 3 an exchange failed\n"
    "(watch: a unit failed), 4 verify found a difference.\n";
const char kVersion[] = "tandemixctl " TANDEMIX_VERSION "\n";
const int kWatchPollMs = 250;

bool progressShown;
bool progressLineOpen;
const char* progressVerb = "";

// The reason of the last failure: one line, without the program's name.
char failure[1024];

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
        fputc('\n', stderr);
    progressLineOpen = false;
}

void ReportFailure() {
    CloseProgressLine();
    fprintf(stderr, "tandemixctl: %s\n", failure);
}

void Complain(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    NoteFailureV(format, arguments);
    va_end(arguments);
    ReportFailure();
}

void ShowProgress(int dataPercent) {
    if (!progressShown)
        return;
    // The percentage drops its remainder, so rounding up gives back the registers done.
    int registers = (dataPercent * kDeviceImageSize + 99) / 100;
    progressLineOpen = registers < kDeviceImageSize;
    char line[64];
    snprintf(line, sizeof(line), "\rtandemixctl: %s register %d of %d%s", progressVerb, registers,
             kDeviceImageSize, progressLineOpen ? "" : "\n");
    fputs(line, stderr); // in one piece: stderr is unbuffered
}

void StartProgress(const char* verb, bool quiet) {
    progressShown = !quiet && StderrIsTerminal();
    progressVerb = verb;
}

// Notes the failure of a device operation, naming the register and what the transfer under way
// was doing, and returns the exit status for it.
int NoteDeviceFailure(int result, unsigned int failedRegister) {
    if (result == kDeviceNotFound) {
        if (LastOpenResult() == kOpenResultBusy)
            NoteFailure("the Tandemix adapter is in use by another Tandemix program (the utility "
                        "or tandemixctl); try again when it has finished");
        else if (!ExplainMissingAdapter(failure, sizeof(failure)))
            NoteFailure(
                "no Tandemix adapter found (is its KB/MOUSE port plugged into a USB port?)");
        return kExitNoAdapter;
    }
    bool writing = strcmp(progressVerb, "writing") == 0;
    NoteFailure("register %u: the exchange failed while %s; the transfer stopped and the adapter "
                "was closed%s",
                failedRegister, progressVerb, writing ? " without the closing commit marker" : "");
    return kExitExchangeFailed;
}

int ComplainAboutDevice(int result, unsigned int failedRegister) {
    int status = NoteDeviceFailure(result, failedRegister);
    ReportFailure();
    return status;
}

bool LoadConfigFile(const char* path, unsigned char record[kConfigRecordSize]) {
    unsigned int bytesRead = 0;
    int result = ReadConfigFile(path, record, &bytesRead);
    if (result == kConfigFileDone)
        return true;
    if (result == kConfigFileNotOpened)
        Complain("%s: cannot be opened: %s", path, strerror(errno));
    else if (result == kConfigFileNotRead)
        Complain("%s: cannot be read: %s", path, strerror(errno));
    else
        Complain("%s: %u bytes; a configuration file has at least %d", path, bytesRead,
                 kConfigRecordSize);
    return false;
}

bool SaveConfigFile(const char* path, const unsigned char record[kConfigRecordSize]) {
    char reason[256];
    switch (WriteConfigFile(path, record, reason, sizeof(reason))) {
        case kConfigFileDone:
            return true;
        case kConfigFileNameTooLong:
            Complain("%s: %s", path, reason);
            break;
        case kConfigFileNotReplaced:
            Complain("%s: cannot be replaced: %s", path, reason);
            break;
        default: // the file beside it, which took the bytes first
            Complain("%s%s: cannot be written: %s", path, kConfigFileTemporarySuffix, reason);
            break;
    }
    return false;
}

// The record the utility builds from its window after showing `shown` there. Sizes outside the
// adapter's range would be replaced by the screen's, which a command line does not have, so they
// are refused instead.
bool BuildSettingsRecord(const unsigned char shown[kConfigRecordSize], const char* source,
                         unsigned char record[kConfigRecordSize]) {
    DecodedConfig decoded = DecodeConfigRecord(shown);
    char error[96];
    if (!CheckScreenSize(true, decoded.width, error, sizeof(error)) ||
        !CheckScreenSize(false, decoded.height, error, sizeof(error))) {
        Complain("%s: %s", source, error);
        return false;
    }
    ConfigSettings settings = {
        decoded.controlModeIndex < kControlModeCount ? decoded.controlModeIndex : -1, decoded.width,
        decoded.height};
    EncodeConfigRecord(settings, 0, 0, record);
    return true;
}

void PrintSettings(const unsigned char record[kConfigRecordSize], bool json) {
    char text[kSettingsTextSize];
    FormatSettings(record, json, text);
    fputs(text, stdout);
}

int ShowCommand(const CtlRequest& request) {
    unsigned char record[kConfigRecordSize];
    if (!LoadConfigFile(request.file, record))
        return kExitBadInput;
    PrintSettings(record, request.json);
    return kExitDone;
}

int MakeCommand(const CtlRequest& request) {
    ConfigSettings settings = {request.controlMode, request.width, request.height};
    unsigned char record[kConfigRecordSize];
    EncodeConfigRecord(settings, 0, 0, record);
    return SaveConfigFile(request.file, record) ? kExitDone : kExitBadInput;
}

int ProbeCommand() {
    if (ProbeDevice() != kDeviceDone)
        return ComplainAboutDevice(kDeviceNotFound, 0);
    puts("Tandemix adapter connected");
    return kExitDone;
}

int ReadCommand(const CtlRequest& request) {
    unsigned char record[kConfigRecordSize];
    unsigned int failedRegister = 0;
    StartProgress("reading", request.quiet);
    int result = ReadDeviceConfig(record, ShowProgress, &failedRegister);
    if (result != kDeviceDone)
        return ComplainAboutDevice(result, failedRegister);
    PrintSettings(record, request.json);
    if (!request.file)
        return kExitDone;
    unsigned char saved[kConfigRecordSize];
    if (!BuildSettingsRecord(record, "the adapter's settings", saved) ||
        !SaveConfigFile(request.file, saved))
        return kExitBadInput;
    return kExitDone;
}

// The record `write` and `watch` send: FILE's settings as the utility would send them.
bool LoadSettingsRecord(const char* path, unsigned char record[kConfigRecordSize]) {
    unsigned char file[kConfigRecordSize];
    return LoadConfigFile(path, file) && BuildSettingsRecord(file, path, record);
}

// Writes the record and, with `verify`, reads the registers back and compares them; on failure
// notes the reason and returns the exit status for it.
int WriteRecord(const unsigned char record[kConfigRecordSize], bool verify, bool quiet) {
    unsigned int failedRegister = 0;
    StartProgress("writing", quiet);
    int result = WriteDeviceConfig(record, ShowProgress, &failedRegister);
    if (result != kDeviceDone)
        return NoteDeviceFailure(result, failedRegister);
    if (!verify)
        return kExitDone;
    unsigned char readBack[kConfigRecordSize];
    StartProgress("verifying", quiet);
    result = ReadDeviceConfig(readBack, ShowProgress, &failedRegister);
    if (result != kDeviceDone)
        return NoteDeviceFailure(result, failedRegister);
    int differing = 0, first = -1;
    for (int n = 0; n < kDeviceImageSize; ++n) {
        if (readBack[n] == record[n])
            continue;
        if (first < 0)
            first = n;
        ++differing;
    }
    if (!differing)
        return kExitDone;
    NoteFailure("verify: register %d holds 0x%02X where 0x%02X was written (%d of %d registers "
                "differ)",
                first, readBack[first], record[first], differing, kDeviceImageSize);
    return kExitVerifyFailed;
}

int WriteCommand(const CtlRequest& request) {
    unsigned char record[kConfigRecordSize];
    if (!LoadSettingsRecord(request.file, record))
        return kExitBadInput;
    int status = WriteRecord(record, request.verify, request.quiet);
    if (status != kExitDone)
        ReportFailure();
    else
        puts(request.verify ? "configuration written and verified" : "configuration written");
    return status;
}

// Polls until an adapter is there (or, with `present` false, gone); false when interrupted.
bool AwaitAdapter(bool present) {
    while ((ProbeDevice() == kDeviceDone) != present)
        if (!PauseUnlessInterrupted(kWatchPollMs))
            return false;
    return true;
}

// One adapter after another: each is written and verified once, then must be unplugged before
// the next is taken. An interrupt ends the watch between units, never inside a write.
int WatchCommand(const CtlRequest& request) {
    unsigned char record[kConfigRecordSize];
    if (!LoadSettingsRecord(request.file, record))
        return kExitBadInput;
    CatchInterrupt();
    int units = 0, verified = 0;
    while (request.count == 0 || units < request.count) {
        if (StderrIsTerminal())
            fputs("waiting for an adapter...\n", stderr);
        if (!PauseUnlessInterrupted(0) || !AwaitAdapter(true))
            break;
        ++units;
        bool written = WriteRecord(record, true, false) == kExitDone;
        CloseProgressLine();
        if (written) {
            ++verified;
            printf("unit %d: written and verified\n", units);
        } else {
            printf("unit %d: failed: %s\n", units, failure);
        }
        fflush(stdout); // for a log or a pipe that follows the units as they go
        if (units == request.count || !AwaitAdapter(false))
            break;
    }
    printf("%d unit%s: %d verified, %d failed\n", units, units == 1 ? "" : "s", verified,
           units - verified);
    return verified == units ? kExitDone : kExitExchangeFailed;
}

} // namespace

int RunCtl(int argc, char** argv) {
    CtlRequest request;
    char error[256];
    if (!ParseArguments(argc, argv, &request, error, sizeof(error))) {
        Complain("%s", error);
        return kExitBadInput;
    }
    switch (request.command) {
        case kCtlHelp:
            fputs(kUsage, stdout);
            return kExitDone;
        case kCtlVersion:
            fputs(kVersion, stdout);
            return kExitDone;
        case kCtlShow:
            return ShowCommand(request);
        case kCtlMake:
            return MakeCommand(request);
        case kCtlProbe:
            return ProbeCommand();
        case kCtlRead:
            return ReadCommand(request);
        case kCtlWrite:
            return WriteCommand(request);
        case kCtlWatch:
            return WatchCommand(request);
    }
    return kExitBadInput;
}
