// A record file of any bytes and any length: only a file of 512 bytes or more is taken, as its
// first 512 bytes, and a taken record's settings encode and decode to the same settings.
#include <stdio.h>
#include <string.h>

#include "config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const char* path = "/tmp/tandemix-fuzz-record.tnx";
    FILE* file = fopen(path, "wb");
    fwrite(data, 1, size, file);
    fclose(file);
    unsigned char record[kConfigRecordSize];
    unsigned int bytesRead = 0;
    bool taken = ReadConfigFile(path, record, &bytesRead) == kConfigFileDone;
    if (bytesRead > kConfigRecordSize || taken != (size >= kConfigRecordSize) ||
        (taken && memcmp(record, data, kConfigRecordSize) != 0))
        __builtin_trap();
    ConfigSettings shown = DecodeConfigRecord(record);
    EncodeConfigRecord(shown, record);
    ConfigSettings again = DecodeConfigRecord(record);
    if (taken && (again.controlMode != shown.controlMode || again.width != shown.width ||
                  again.height != shown.height))
        __builtin_trap();
    return 0;
}
