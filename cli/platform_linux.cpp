// tandemixctl's system calls on Linux, where an adapter that is there may still be closed to the
// user until the udev rule gives access to it.
#include <errno.h>
#include <hidapi/hidapi.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "ctl_platform.h"
#include "hid_framing.h"

namespace {

sigset_t interruptSignal;
bool interrupted;

void IgnoreSignal(int) {}

// The device node of an adapter interface that this user may not open.
bool FindDeniedAdapter(char* path, size_t size) {
    bool found = false;
    hid_device_info* interfaces = hid_enumerate(kAdapterVendorId, 0);
    for (hid_device_info* at = interfaces; at && !found; at = at->next) {
        if (!IsAdapterInterface(at->vendor_id, at->usage_page, kAdapterVendorId))
            continue;
        errno = 0;
        if (hid_device* opened = hid_open_path(at->path))
            hid_close(opened);
        else if (errno == EACCES || errno == EPERM)
            found = snprintf(path, size, "%s", at->path) > 0;
    }
    hid_free_enumeration(interfaces);
    return found;
}

} // namespace

void WriteText(FILE* stream, const char* text) {
    fputs(text, stream);
}

// The arguments are the bytes the user typed, in the terminal's encoding.
void ArgumentsAsText(int argc, char** argv, char** text, char*) {
    for (int i = 0; i < argc; ++i)
        text[i] = argv[i];
}

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

// The library says only that the system denied the open; the system names the device node.
bool ExplainMissingAdapter(const DeviceOutcome& outcome, char* text, int size) {
    char path[256];
    if (outcome.openResult != kOpenDenied || !FindDeniedAdapter(path, sizeof(path)))
        return false;
    snprintf(text, static_cast<size_t>(size),
             "%s is a Tandemix adapter, but this user may not open it; install 70-tandemix.rules "
             "in /etc/udev/rules.d and plug the adapter in again (see tandemixctl(1))",
             path);
    return true;
}

// SIGINT stays blocked and is taken only while pausing, so no call of a transfer is cut short by
// it. A handler is set all the same: a signal that is ignored (as in a shell's background job)
// would never be pending.
void CatchInterrupt() {
    struct sigaction action = {};
    action.sa_handler = IgnoreSignal;
    sigaction(SIGINT, &action, nullptr);
    sigemptyset(&interruptSignal);
    sigaddset(&interruptSignal, SIGINT);
    sigprocmask(SIG_BLOCK, &interruptSignal, nullptr);
}

bool PauseUnlessInterrupted(int ms) {
    timespec wait = {ms / 1000, (ms % 1000) * 1000000L};
    if (!interrupted && sigtimedwait(&interruptSignal, nullptr, &wait) == SIGINT)
        interrupted = true;
    return !interrupted;
}
