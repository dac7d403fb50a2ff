// Entry of Tandemix.exe; the command line is not used.
#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return RunUtility(instance, showCommand);
}
