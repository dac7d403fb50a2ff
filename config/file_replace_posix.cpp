// POSIX: access() tells what the user may write, and rename() replaces.
#include "file_replace.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

bool FlushFileToDisk(FILE* file) {
    return fflush(file) == 0 && fsync(fileno(file)) == 0;
}

FILE* CreateFileForWriting(const char* path, bool* folderRefused, char* reason, int reasonSize) {
    FILE* file = fopen(path, "wb");
    if (file)
        return file;
    int error = errno; // before access() sets its own
    *folderRefused = error == EACCES && access(path, F_OK) != 0;
    snprintf(reason, static_cast<size_t>(reasonSize), "%s", strerror(error));
    return nullptr;
}

FILE* OpenFileForReading(const char* path) {
    return fopen(path, "rb");
}

bool RemoveTemporaryFile(const char* path) {
    return remove(path) == 0;
}

bool MayReplaceFile(const char* path, bool* exists, char* reason, int reasonSize) {
    struct stat status;
    *exists = stat(path, &status) == 0;
    if (!*exists && errno == ENOENT)
        return true;
    const char* refusal = nullptr;
    if (!*exists || access(path, W_OK) != 0)
        refusal = strerror(errno);
    else if (S_ISDIR(status.st_mode))
        refusal = "it is a folder";
    else if (!S_ISREG(status.st_mode))
        refusal = "it is not a regular file";
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
