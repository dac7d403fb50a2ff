// A record file of any bytes and any length: only a file of 512 bytes or more is taken, and the
// reader never reports more than it could hold.
#include <stdio.h>
#include <string.h>
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
    return 0;
}
