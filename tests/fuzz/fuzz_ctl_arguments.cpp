// Any command line for tandemixctl: the input's bytes as arguments split at zero bytes.
#include <string.h>

#include "arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    char text[512];
    size_t length = size < sizeof(text) - 1 ? size : sizeof(text) - 1;
    memcpy(text, data, length);
    text[length] = '\0';
    char* argv[64] = {const_cast<char*>("tandemixctl")};
    int argc = 1;
    for (size_t at = 0; at <= length && argc < 63; at += strlen(text + at) + 1)
        argv[argc++] = text + at;
    CtlRequest request;
    char error[256];
    ParseArguments(argc, argv, &request, error, sizeof(error));
    return 0;
}
