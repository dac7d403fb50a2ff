// A file that cannot hold or supply all 512 bytes is reported, so a save never claims success
// over a short file and an open never shows bytes the file did not have.
#include "config_file.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "file_replace.h"

const char kConfigFileTemporarySuffix[] = ".tandemix-new";

namespace {

void PutReason(char* reason, int reasonSize, const char* text) {
    size_t length = strlen(text) < static_cast<size_t>(reasonSize) ? strlen(text) : reasonSize - 1u;
    memcpy(reason, text, length);
    reason[length] = '\0';
}

int WriteRecordTo(const char* path, const unsigned char record[kConfigRecordSize], char* reason,
                  int reasonSize) {
    FILE* file = CreateTemporaryFile(path);
    if (!file) {
        PutReason(reason, reasonSize, strerror(errno));
        return kConfigFileNotOpened;
    }
    // A full disk shows only when the bytes leave the C runtime, and some do not report it from
    // the close; they must be on the disk before the file may replace another.
    bool written = fwrite(record, 1, kConfigRecordSize, file) == kConfigRecordSize &&
                   FlushFileToDisk(file) && !ferror(file);
    bool closed = fclose(file) == 0;
    if (written && closed)
        return kConfigFileDone;
    PutReason(reason, reasonSize, "not all 512 bytes reached the disk");
    return kConfigFileNotWritten;
}

} // namespace

int WriteConfigFile(const char* path, const unsigned char record[kConfigRecordSize], char* reason,
                    int reasonSize) {
    char unused[256];
    if (!reason || reasonSize <= 0) {
        reason = unused;
        reasonSize = sizeof(unused);
    }
    char temporary[kConfigFilePathSize + sizeof(kConfigFileTemporarySuffix)];
    if (strlen(path) >= kConfigFilePathSize) {
        PutReason(reason, reasonSize, "the name is too long");
        return kConfigFileNameTooLong;
    }
    if (!MayReplaceFile(path, reason, reasonSize))
        return kConfigFileNotReplaced;
    strcat(strcpy(temporary, path), kConfigFileTemporarySuffix);
    int result = WriteRecordTo(temporary, record, reason, reasonSize);
    if (result == kConfigFileDone && !ReplaceFileWith(temporary, path, reason, reasonSize))
        result = kConfigFileNotReplaced;
    if (result != kConfigFileDone && result != kConfigFileNotOpened)
        RemoveTemporaryFile(temporary); // only a file this save made
    return result;
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
