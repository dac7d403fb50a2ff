// Any text as the simulator's state file.
#include "sim_environment.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    static SimAdapter adapter;
    SimReset(&adapter);
    if (FILE* file = fmemopen(const_cast<unsigned char*>(data), size, "r")) {
        ReadSimState(file, &adapter);
        fclose(file);
    }
    return 0;
}
