// Replacing a file in one step, so that a reader never sees it half written: the few calls that
// differ between the systems.
#pragma once

#include <stdio.h>

#include "config_file.h"

// Whether `path` is missing or a file that the user may change; else puts the reason in `reason`.
// A read-only file, a folder or a device is left as it is rather than replaced. *exists tells
// whether there is a file to replace.
bool MayReplaceFile(const PathChar* path, bool* exists, char* reason, int reasonSize);

// Pushes what the C runtime and the system hold of the open file onto the disk; false when the
// disk did not take it (full, or gone).
bool FlushFileToDisk(FILE* file);

// Creates (or truncates) a file for writing; on failure puts the reason in `reason` and sets
// *folderRefused when the name is free but the folder takes no new file.
FILE* CreateFileForWriting(const PathChar* path, bool* folderRefused, char* reason, int reasonSize);
FILE* OpenFileForReading(const PathChar* path);
bool RemoveTemporaryFile(const PathChar* path);

// Puts the finished file `temporary` in the place of `target` in one step; on failure puts the
// system's reason in `reason`.
bool ReplaceFileWith(const PathChar* temporary, const PathChar* target, char* reason,
                     int reasonSize);

#ifdef _WIN32
#include <windows.h>

// `path` in the form every wide call takes at any length: full, and with \\?\ (\\?\UNC\ for a
// share) in front; false when it does not fit `size` characters.
bool ExtendedLengthPath(const wchar_t* path, wchar_t* extended, int size);

// ReplaceFileW; tests put one here that keeps the replaced file's attributes as Windows does.
typedef BOOL(WINAPI* ReplaceFunction)(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup,
                                      DWORD flags, LPVOID exclude, LPVOID reserved);
extern ReplaceFunction replaceFile;
#endif
