// tandemixctl: the Tandemix adapter and its configuration files from the command line.
#include "ctl_commands.h"
#ifdef _WIN32
#include "system_library.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    SearchOnlySystemFolder();
#endif
    return RunCtl(argc, argv);
}
