// tandemixctl's system calls on Linux, where an adapter that is there may still be closed to the
// user until the udev rule gives access to it.
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "hidapi_backend.h"
#include "ctl_platform.h"

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

bool MayReplaceFile(const char* path, char* reason, int reasonSize) {
    struct stat status;
    bool exists = stat(path, &status) == 0;
    if (!exists && errno == ENOENT)
        return true;
    const char* refusal = nullptr;
    if (!exists || access(path, W_OK) != 0)
        refusal = strerror(errno);
    else if (S_ISDIR(status.st_mode))
        refusal = "it is a folder";
    else
        return true;
    snprintf(reason, static_cast<size_t>(reasonSize), "%s", refusal);
    return false;
}

bool ReplaceFileWith(const char* temporary, const char* target, char* reason, int reasonSize) {
    if (rename(temporary, target) == 0)
        return true;
    snprintf(reason, static_cast<size_t>(reasonSize), "%s", strerror(errno));
    return false;
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
