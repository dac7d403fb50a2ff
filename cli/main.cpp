// tandemixctl: the Tandemix adapter and its configuration files from the command line.
#include "ctl_commands.h"

int main(int argc, char** argv) {
    return RunCtl(argc, argv);
}
