// Entry of Tandemix.exe: the command line may name a configuration file to open. It is taken in
// UTF-16, so a name outside the ANSI code page reaches the file the user named.
#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return RunUtility(instance, GetCommandLineW(), showCommand);
}
