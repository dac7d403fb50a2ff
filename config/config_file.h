// Configuration files: exactly one 512-byte record each, read and written by name.
#pragma once

#include "config_record.h"

// A file's name as the system takes it: UTF-16 on Windows, whose wide calls alone reach every
// name the user can give; bytes elsewhere.
#ifdef _WIN32
typedef wchar_t PathChar;
#else
typedef char PathChar;
#endif

enum ConfigFileResult : int {
    kConfigFileDone = 0,
    kConfigFileNotOpened = 1,   // the file could not be opened (or created)
    kConfigFileNotWritten = 2,  // not all 512 bytes reached the file (a full disk shows here)
    kConfigFileTooShort = 3,    // the file holds fewer than 512 bytes; nothing was taken from it
    kConfigFileNotRead = 4,     // opened, but reading failed (a folder, a device error)
    kConfigFileNotReplaced = 5, // a folder, a read-only file or one another program holds
    kConfigFileNameTooLong = 6,
    kConfigFileAbandoned = 7, // the caller stopped the save before the file was replaced
};

enum : int { kConfigFilePathSize = 1024 }; // the longest name a file may have, its end included
extern const char kConfigFileTemporarySuffix[];

// Creates or replaces the file with the record's 512 bytes. They go to a file of the same name
// and kConfigFileTemporarySuffix beside it first, which replaces `path` only once all of them
// have reached the disk, so a failed save leaves an existing file as it was; where the folder
// takes no new file but the file itself may be written, they are written into it in place.
// `goOn`, when given, is asked before the file is replaced or written in place; when it says no,
// the save stops with kConfigFileAbandoned. On failure puts the system's reason in `reason`, when given.
int WriteConfigFile(const PathChar* path, const unsigned char record[kConfigRecordSize],
                    char* reason = nullptr, int reasonSize = 0, bool (*goOn)() = nullptr);
// Fills the record from the file's first 512 bytes; leaves it unchanged on any failure. Puts the
// number of bytes it could read (at most 512) in *bytesRead, when given.
int ReadConfigFile(const PathChar* path, unsigned char record[kConfigRecordSize],
                   unsigned int* bytesRead = nullptr);

#ifdef _WIN32
// A name or a system message as UTF-8, only to be shown; unpaired surrogates come out as U+FFFD.
void TextFromWide(const wchar_t* wide, char* text, int size);
#endif
