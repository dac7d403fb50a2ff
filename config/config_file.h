// File > Save and File > Open: one 512-byte configuration image per file.
#pragma once

enum : int { kConfigFileNameSize = 512 };

// The name both file dialogs start from and leave the chosen path in; empty at start.
extern char configFileName[kConfigFileNameSize];

// True when all 512 bytes reached the file; false when cancelled or the file failed.
bool SaveConfigFile();
void OpenConfigFile();

// Asks whether to save unsaved changes first; false when the command should be abandoned.
bool ConfirmUnsavedChanges();
