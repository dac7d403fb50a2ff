// A record file of any bytes and any length: only a file of 512 bytes or more is taken, and a
// taken record decodes, encodes from what the window would show and decodes to the same sizes
// wherever it keeps them.
#include <stdio.h>
#include <unistd.h>

#include "config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    static char path[64];
    if (!path[0])
        snprintf(path, sizeof(path), "/tmp/tandemix-fuzz-%d.tnx", static_cast<int>(getpid()));
    FILE* file = fopen(path, "wb");
    fwrite(data, 1, size, file);
    fclose(file);
    unsigned char record[kConfigRecordSize];
    unsigned int bytesRead = 0;
    bool taken = ReadConfigFile(path, record, &bytesRead) == kConfigFileDone;
    if (bytesRead > kConfigRecordSize || taken != (size >= kConfigRecordSize))
        __builtin_trap();
    DecodedConfig shown = DecodeConfigRecord(record);
    EncodeConfigRecord({shown.controlModeIndex, shown.width, shown.height}, 1920, 1080, record);
    DecodedConfig again = DecodeConfigRecord(record);
    if (taken && ((WidthEntryKept(shown.width) && again.width != shown.width) ||
                  (HeightEntryKept(shown.height) && again.height != shown.height)))
        __builtin_trap();
    return 0;
}
