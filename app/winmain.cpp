// Entry of Tandemix.exe: the command line may name a configuration file to open. It is taken in
// UTF-16, so a name outside the ANSI code page reaches the file the user named.
#include "startup.h"
#include "system_library.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    SearchOnlySystemFolder();
    return RunUtility(instance, GetCommandLineW(), showCommand);
}
