// Configuration files: exactly one 512-byte record each, read and written by name.
#pragma once

#include "config_record.h"

enum ConfigFileResult : int {
    kConfigFileDone = 0,
    kConfigFileNotOpened = 1,  // the file could not be opened (or created)
    kConfigFileNotWritten = 2, // not all 512 bytes reached the file (a full disk shows here)
    kConfigFileTooShort = 3,   // the file holds fewer than 512 bytes; nothing was taken from it
};

// Creates or replaces the file with the record's 512 bytes.
int WriteConfigFile(const char* path, const unsigned char record[kConfigRecordSize]);
// Fills the record from the file's first 512 bytes; leaves it unchanged on any failure.
int ReadConfigFile(const char* path, unsigned char record[kConfigRecordSize]);
