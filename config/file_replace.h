// Replacing a file in one step, so that a reader never sees it half written: the few calls that
// differ between the systems.
#pragma once

#include <stdio.h>

// Whether `path` is missing or a file that the user may change; else puts the reason in `reason`.
// A read-only file, a folder or a device is left as it is rather than replaced.
bool MayReplaceFile(const char* path, char* reason, int reasonSize);

// Pushes what the C runtime and the system hold of the open file onto the disk; false when the
// disk did not take it (full, or gone).
bool FlushFileToDisk(FILE* file);

// Creates (or truncates) the save's temporary file for writing. Its name is longer than the file's
// and may pass the system's usual limit where that name does not; it is then taken in the
// system's long form, where there is one.
FILE* CreateTemporaryFile(const char* path);
bool RemoveTemporaryFile(const char* path);

// Moves the finished file `temporary` over `target`, replacing it in one step; on failure puts
// the system's reason in `reason`.
bool ReplaceFileWith(const char* temporary, const char* target, char* reason, int reasonSize);
