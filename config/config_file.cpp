// A file that cannot hold or supply all 512 bytes is reported, so a save never claims success
// over a short file and an open never shows bytes the file did not have.
#include "config_file.h"

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

int PathLength(const PathChar* path) {
    int length = 0;
    while (path[length] != 0)
        ++length;
    return length;
}

int WriteRecordTo(FILE* file, const unsigned char record[kConfigRecordSize], char* reason,
                  int reasonSize) {
    if (!file)
        return kConfigFileNotOpened;
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

int WriteConfigFile(const PathChar* path, const unsigned char record[kConfigRecordSize],
                    char* reason, int reasonSize, bool (*goOn)()) {
    char unused[256];
    if (!reason || reasonSize <= 0) {
        reason = unused;
        reasonSize = sizeof(unused);
    }
    int length = PathLength(path);
    if (length >= kConfigFilePathSize) {
        PutReason(reason, reasonSize, "the name is too long");
        return kConfigFileNameTooLong;
    }
    bool exists = false;
    if (!MayReplaceFile(path, &exists, reason, reasonSize))
        return kConfigFileNotReplaced;
    PathChar temporary[kConfigFilePathSize + sizeof(kConfigFileTemporarySuffix)];
    for (int i = 0; i <= length; ++i)
        temporary[i] = path[i];
    for (int i = 0; i < static_cast<int>(sizeof(kConfigFileTemporarySuffix)); ++i)
        temporary[length + i] = kConfigFileTemporarySuffix[i];
    bool folderRefused = false;
    FILE* file = CreateFileForWriting(temporary, &folderRefused, reason, reasonSize);
    // A folder that takes no new file may still hold a file the user may write: that is
    // written in place, as the only way left, and a failure there is not undone.
    if (!file && folderRefused && exists)
        return goOn && !goOn()
                   ? kConfigFileAbandoned
                   : WriteRecordTo(CreateFileForWriting(path, &folderRefused, reason, reasonSize),
                                   record, reason, reasonSize);
    int result = WriteRecordTo(file, record, reason, reasonSize);
    if (result == kConfigFileDone && goOn && !goOn())
        result = kConfigFileAbandoned;
    if (result == kConfigFileDone && !ReplaceFileWith(temporary, path, reason, reasonSize))
        result = kConfigFileNotReplaced;
    if (result != kConfigFileDone && result != kConfigFileNotOpened)
        RemoveTemporaryFile(temporary); // only a file this save made
    return result;
}

int ReadConfigFile(const PathChar* path, unsigned char record[kConfigRecordSize],
                   unsigned int* bytesRead) {
    FILE* file = OpenFileForReading(path);
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
