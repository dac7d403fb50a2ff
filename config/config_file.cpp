// A file that cannot hold or supply all 512 bytes is reported, so a save never claims success
// over a short file and an open never shows bytes the file did not have.
#include "config_file.h"

#include <stdio.h>
#include <string.h>

int WriteConfigFile(const char* path, const unsigned char record[kConfigRecordSize]) {
    FILE* file = fopen(path, "wbS"); // S: sequential access, where the C runtime knows it
    if (!file)
        return kConfigFileNotOpened;
    // The bytes reach the disk at the flush; a full disk shows only there, and some C runtimes
    // do not report it from the close.
    bool written = fwrite(record, 1, kConfigRecordSize, file) == kConfigRecordSize &&
                   fflush(file) == 0 && !ferror(file);
    bool closed = fclose(file) == 0;
    return written && closed ? kConfigFileDone : kConfigFileNotWritten;
}

int ReadConfigFile(const char* path, unsigned char record[kConfigRecordSize],
                   unsigned int* bytesRead) {
    FILE* file = fopen(path, "rbS");
    if (!file)
        return kConfigFileNotOpened;
    unsigned char content[kConfigRecordSize];
    size_t read = fread(content, 1, kConfigRecordSize, file);
    bool failed = ferror(file) != 0;
    fclose(file);
    if (bytesRead)
        *bytesRead = static_cast<unsigned int>(read);
    if (failed)
        return kConfigFileNotRead;
    if (read != kConfigRecordSize)
        return kConfigFileTooShort;
    memcpy(record, content, kConfigRecordSize);
    return kConfigFileDone;
}
