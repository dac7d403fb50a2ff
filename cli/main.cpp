// tandemixctl: the Tandemix adapter and its configuration files from the command line. On
// Windows the arguments come in UTF-16 (wmain, linked with -municode), so that a name outside
// the ANSI code page reaches the file the user named.
#include "ctl_commands.h"
#ifdef _WIN32
#include "system_library.h"
#endif

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    SearchOnlySystemFolder();
#else
int main(int argc, char** argv) {
#endif
    return RunCtl(argc, argv);
}
