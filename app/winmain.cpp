// Entry of Tandemix.exe; the command line is not used.
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return RunUtility(instance, showCommand);
}
