// Opening a configuration file named on the command line or dropped on the main window.
#pragma once

#include <windows.h>

#include <shellapi.h>

// The file named after the program's name on the command line (quoted or not), once the main
// window shows; none: nothing happens.
void OpenCommandLineFile(const wchar_t* commandLine);
// WM_DROPFILES: the unsaved-changes question, then the first dropped file opens.
void OpenDroppedFile(HDROP drop);
