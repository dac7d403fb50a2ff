// Windows: the file's attributes tell a folder and a read-only file, and MoveFileEx replaces.
#include "file_replace.h"

#include <windows.h>

#include <errno.h>
#include <io.h>
#include <string.h>

#include "config_file.h"

namespace {

// The \\?\ prefix, the longest name a file may have and the temporary suffix.
enum : int { kWideNameSize = 4 + kConfigFilePathSize + 32 };

// The wide calls take a full path of MAX_PATH characters or more in its \\?\ form.
const wchar_t* WideName(const char* path, wchar_t* wide) {
    bool longFullPath =
        lstrlenA(path) >= MAX_PATH && path[1] == ':' && path[2] == '\\' && !strchr(path, '/');
    int start = longFullPath ? lstrlenW(lstrcpyW(wide, L"\\\\?\\")) : 0;
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide + start, kWideNameSize - start) > 0)
        return wide;
    errno = ENAMETOOLONG;
    return nullptr;
}

} // namespace

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

FILE* CreateTemporaryFile(const char* path) {
    wchar_t wide[kWideNameSize];
    return WideName(path, wide) ? _wfopen(wide, L"wbS") : nullptr; // S: sequential access
}

bool RemoveTemporaryFile(const char* path) {
    wchar_t wide[kWideNameSize];
    return WideName(path, wide) && _wremove(wide) == 0;
}

bool ReplaceFileWith(const char* temporary, const char* target, char* reason, int reasonSize) {
    wchar_t from[kWideNameSize], to[kWideNameSize];
    if (WideName(temporary, from) && WideName(target, to) &&
        MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
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
