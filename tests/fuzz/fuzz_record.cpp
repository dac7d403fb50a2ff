// Any 512 bytes as a record: decoded, encoded again from what the window would show, and the
// kept sizes come back as they were.
#include <string.h>

#include "config_record.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    unsigned char record[kConfigRecordSize] = {};
    memcpy(record, data, size < sizeof(record) ? size : sizeof(record));
    DecodedConfig shown = DecodeConfigRecord(record);
    EncodeConfigRecord({shown.controlModeIndex, shown.width, shown.height}, 1920, 1080, record);
    DecodedConfig again = DecodeConfigRecord(record);
    if ((WidthEntryKept(shown.width) && again.width != shown.width) ||
        (HeightEntryKept(shown.height) && again.height != shown.height))
        __builtin_trap();
    return 0;
}
