// Start-up in named steps, so that tests run the same steps as the utility.
#pragma once

#include <windows.h>

// The volume query of the distribution-disc check; tests put their own label here.
typedef BOOL(WINAPI* VolumeQuery)(LPCSTR root, LPSTR label, DWORD labelSize, LPDWORD serial,
                                  LPDWORD maxComponent, LPDWORD flags, LPSTR fileSystem,
                                  DWORD fileSystemSize);
extern VolumeQuery queryVolumeInformation;

void WarnIfRunFromDistributionDisc();
// The common controls, the window class, and the main window laid out with the settings reset
// and the accelerators loaded; not yet shown. False when the window could not be made.
bool BuildMainWindow(HINSTANCE instance);
// False when no adapter answered: the not-found box was shown and the window destroyed.
bool ProbeAdapterAtStartup();
void ShowMainWindow(int showCommand);

enum : int { kExitNoMainWindow = 1 };

// Every step in order, the command line's file opened once the window shows, then the message
// loop; returns the exit code. The command line is the whole of it, the program's name first.
int RunUtility(HINSTANCE instance, const wchar_t* commandLine, int showCommand);
