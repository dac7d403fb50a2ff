// Windows: the file's attributes tell a folder and a read-only file, and MoveFileEx replaces.
#include "file_replace.h"

#include <windows.h>

#include <io.h>

bool FlushFileToDisk(FILE* file) {
    return fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

bool MayReplaceFile(const char* path, char* reason, int reasonSize) {
    DWORD attributes = GetFileAttributesA(path);
    const char* refusal = nullptr;
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        refusal = "it is a folder";
    else if (attributes & FILE_ATTRIBUTE_READONLY)
        refusal = "it is read-only";
    else
        return true;
    lstrcpynA(reason, refusal, reasonSize);
    return false;
}

bool ReplaceFileWith(const char* temporary, const char* target, char* reason, int reasonSize) {
    if (MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       GetLastError(), 0, reason, static_cast<DWORD>(reasonSize), nullptr);
    while (length > 0 &&
           (reason[length - 1] == '\n' || reason[length - 1] == '\r' || reason[length - 1] == '.'))
        --length;
    reason[length] = '\0';
    return false;
}
