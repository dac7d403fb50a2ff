// The first six bytes as a command, the rest as the input report read for its answer: an answer
// is taken only when it is one seven-byte report with ID 0 that repeats the command's first four
// bytes, and then as the report's six bytes after the ID.
#include <string.h>

#include "hid_framing.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    if (size < 6)
        return 0;
    const unsigned char* report = data + 6;
    bool isAnswer = size - 6 == 7 && report[0] == 0 && memcmp(report + 1, data, 4) == 0;
    unsigned char answer[6] = {};
    bool taken = ReadAnswerReport(report, size - 6, data, answer) == kExchangeDone;
    if (taken != isAnswer || (taken && memcmp(answer, report + 1, 6) != 0))
        __builtin_trap();
    return 0;
}
