// Entry of Tandemix.exe: the command line may name a configuration file to open.
#include "startup.h"
#include "system_library.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    SearchOnlySystemFolder();
    return RunUtility(instance, commandLine, showCommand);
}
