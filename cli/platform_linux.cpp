// tandemixctl's system calls on Linux, where an adapter that is there may still be closed to the
// user until the udev rule gives access to it.
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "hidapi_backend.h"
#include "ctl_platform.h"

namespace {

sigset_t interruptSignal;
bool interrupted;

void IgnoreSignal(int) {}

} // namespace

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

bool ExplainMissingAdapter(char* text, int size) {
    if (!DeniedAdapterPath()[0])
        return false;
    snprintf(text, static_cast<size_t>(size),
             "%s is a Tandemix adapter, but this user may not open it; install 70-tandemix.rules "
             "in /etc/udev/rules.d and plug the adapter in again (see tandemixctl(1))",
             DeniedAdapterPath());
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
