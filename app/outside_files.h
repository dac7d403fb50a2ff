// Opening a configuration file named on the command line or dropped on the main window.
#pragma once

#include <windows.h>

#include <shellapi.h>

// The command line's file (quoted or not), once the main window shows; none: nothing happens.
void OpenCommandLineFile(const char* commandLine);
// WM_DROPFILES: the unsaved-changes question, then the first dropped file opens.
void OpenDroppedFile(HDROP drop);
