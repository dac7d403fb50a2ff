// The first six bytes as a command, the rest as the input report read for its answer: an answer
// is taken only when it repeats the command.
#include <string.h>

#include "hid_framing.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    if (size < 6)
        return 0;
    unsigned char answer[6] = {};
    if (ReadAnswerReport(data + 6, size - 6, data, answer) == kExchangeDone &&
        memcmp(answer, data, 4) != 0)
        __builtin_trap();
    return 0;
}
