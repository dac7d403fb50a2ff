// A record file of any bytes and any length: only a file of 512 bytes or more is taken, as its
// first 512 bytes, and a taken record decodes, encodes from what the window would show and
// decodes to the same sizes wherever it keeps them.
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
    DecodedConfig shown = DecodeConfigRecord(record);
    EncodeConfigRecord({shown.controlModeIndex, shown.width, shown.height}, 1920, 1080, record);
    DecodedConfig again = DecodeConfigRecord(record);
    if (taken && ((WidthEntryKept(shown.width) && again.width != shown.width) ||
                  (HeightEntryKept(shown.height) && again.height != shown.height)))
        __builtin_trap();
    return 0;
}
