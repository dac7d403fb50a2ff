// Windows: every name goes to the wide calls in its extended-length form; ReplaceFileW keeps what
// belongs to the file it replaces, and the brief holds of other programs are waited out.
#include "file_replace.h"

#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdint.h>

ReplaceFunction replaceFile = ReplaceFileW;

namespace {

// The longest name, its temporary suffix, the current folder before a relative one and \\?\UNC\.
enum : int { kExtendedPathSize = 2 * kConfigFilePathSize + 32 };
const int kHoldWaitMs = 1000;

bool IsSlash(wchar_t character) {
    return character == L'\\' || character == L'/';
}

void PutSystemReason(DWORD error, char* reason, int reasonSize) {
    wchar_t text[256];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, 256, nullptr);
    while (length > 0 &&
           (text[length - 1] == L'\n' || text[length - 1] == L'\r' || text[length - 1] == L'.'))
        --length;
    text[length] = L'\0';
    TextFromWide(text, reason, reasonSize);
}

// Virus scanners, the search indexer and sync clients open a new or changed file for a moment,
// which the system reports as a sharing violation or a denied access. Waits a little longer each
// time, about a second in all; false for another error or once the time is up.
bool WaitedForHolder(DWORD error, int* waited) {
    bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
                error == ERROR_UNABLE_TO_MOVE_REPLACEMENT; // the next try moves it: see below
    if (!held || *waited >= kHoldWaitMs)
        return false;
    int pause = *waited < 10 ? 10 : *waited;
    if (pause > kHoldWaitMs - *waited)
        pause = kHoldWaitMs - *waited;
    Sleep(static_cast<DWORD>(pause));
    *waited += pause;
    return true;
}

bool Extended(const wchar_t* path, wchar_t* name, char* reason, int reasonSize) {
    if (ExtendedLengthPath(path, name, kExtendedPathSize))
        return true;
    PutSystemReason(ERROR_FILENAME_EXCED_RANGE, reason, reasonSize);
    return false;
}

} // namespace

bool ExtendedLengthPath(const wchar_t* path, wchar_t* extended, int size) {
    wchar_t full[kExtendedPathSize];
    int length = lstrlenW(path);
    bool driveOrShare = (path[0] != L'\0' && path[1] == L':' && IsSlash(path[2])) ||
                        (IsSlash(path[0]) && IsSlash(path[1]));
    // GetFullPathNameW is promised names shorter than MAX_PATH; a longer full name only needs
    // the separators that the extended form takes.
    if (length < MAX_PATH || !driveOrShare) {
        DWORD fullLength = GetFullPathNameW(path, kExtendedPathSize, full, nullptr);
        if (fullLength == 0 || fullLength >= kExtendedPathSize)
            return false;
    } else {
        if (length >= kExtendedPathSize)
            return false;
        for (int i = 0; i <= length; ++i)
            full[i] = path[i] == L'/' ? L'\\' : path[i];
    }
    const wchar_t* prefix = L"\\\\?\\";
    const wchar_t* rest = full;
    if (full[0] == L'\\' && full[1] == L'\\') {
        if (full[2] == L'?' || full[2] == L'.')
            prefix = L""; // an extended-length or a device name already
        else {
            prefix = L"\\\\?\\UNC\\";
            rest = full + 2;
        }
    }
    if (lstrlenW(prefix) + lstrlenW(rest) >= size)
        return false;
    lstrcatW(lstrcpyW(extended, prefix), rest);
    return true;
}

void TextFromWide(const wchar_t* wide, char* text, int size) {
    static const unsigned char kLeadBits[] = {0, 0, 0xC0, 0xE0, 0xF0};
    int at = 0;
    for (; *wide != L'\0'; ++wide) {
        unsigned long code = *wide;
        if (code >= 0xD800 && code < 0xDC00 && wide[1] >= 0xDC00 && wide[1] < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (*++wide - 0xDC00);
        else if (code >= 0xD800 && code < 0xE000)
            code = 0xFFFD;
        int bytes = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        if (at + bytes >= size)
            break;
        for (int i = bytes - 1; i > 0; --i, code >>= 6)
            text[at + i] = static_cast<char>(0x80 | (code & 0x3F));
        text[at] = static_cast<char>(kLeadBits[bytes] | code);
        at += bytes;
    }
    text[at] = '\0';
}

bool FlushFileToDisk(FILE* file) {
    return fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

bool MayReplaceFile(const wchar_t* path, bool* exists, char* reason, int reasonSize) {
    wchar_t name[kExtendedPathSize];
    if (!Extended(path, name, reason, reasonSize))
        return false;
    DWORD attributes = GetFileAttributesW(name);
    *exists = attributes != INVALID_FILE_ATTRIBUTES;
    const char* refusal = nullptr;
    if (!*exists)
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

FILE* CreateFileForWriting(const wchar_t* path, bool* folderRefused, char* reason, int reasonSize) {
    wchar_t name[kExtendedPathSize];
    if (!Extended(path, name, reason, reasonSize))
        return nullptr;
    // A hidden or system file is truncated only by a call that names those attributes.
    DWORD existing = GetFileAttributesW(name);
    DWORD attributes = existing == INVALID_FILE_ATTRIBUTES
                           ? 0
                           : existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    HANDLE handle;
    DWORD error;
    int waited = 0;
    // Refused while the name is free: the folder takes no new file, which no wait changes.
    do {
        handle = CreateFileW(
            name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
            (attributes ? attributes : FILE_ATTRIBUTE_NORMAL) | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        error = GetLastError();
        *folderRefused = handle == INVALID_HANDLE_VALUE && error == ERROR_ACCESS_DENIED &&
                         GetFileAttributesW(name) == INVALID_FILE_ATTRIBUTES;
    } while (handle == INVALID_HANDLE_VALUE && !*folderRefused && WaitedForHolder(error, &waited));
    if (handle == INVALID_HANDLE_VALUE) {
        PutSystemReason(error, reason, reasonSize);
        return nullptr;
    }
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (descriptor == -1) {
        CloseHandle(handle);
        PutSystemReason(ERROR_TOO_MANY_OPEN_FILES, reason, reasonSize);
        return nullptr;
    }
    FILE* file = _fdopen(descriptor, "wb");
    if (!file) {
        _close(descriptor); // and with it the handle
        PutSystemReason(ERROR_NOT_ENOUGH_MEMORY, reason, reasonSize);
    }
    return file;
}

FILE* OpenFileForReading(const wchar_t* path) {
    wchar_t name[kExtendedPathSize];
    if (ExtendedLengthPath(path, name, kExtendedPathSize))
        return _wfopen(name, L"rbS"); // S: sequential access
    errno = ENAMETOOLONG;
    return nullptr;
}

bool RemoveTemporaryFile(const wchar_t* path) {
    wchar_t name[kExtendedPathSize];
    return ExtendedLengthPath(path, name, kExtendedPathSize) && DeleteFileW(name);
}

// ReplaceFileW keeps the replaced file's attributes, ACL, streams and identity. When it could
// not move the new file into place, the old one is gone already, and the next try moves it.
bool ReplaceFileWith(const wchar_t* temporary, const wchar_t* target, char* reason,
                     int reasonSize) {
    wchar_t from[kExtendedPathSize], to[kExtendedPathSize];
    if (!Extended(temporary, from, reason, reasonSize) || !Extended(target, to, reason, reasonSize))
        return false;
    DWORD error;
    int waited = 0;
    do {
        bool done = GetFileAttributesW(to) != INVALID_FILE_ATTRIBUTES
                        ? replaceFile(to, from, nullptr, 0, nullptr, nullptr)
                        : MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (done)
            return true;
        error = GetLastError();
    } while (WaitedForHolder(error, &waited));
    PutSystemReason(error, reason, reasonSize);
    return false;
}
