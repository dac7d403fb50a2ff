// File > Save and File > Open with their dialogs, and the unsaved-changes question.
#pragma once

// True when all 512 bytes reached the file; false when cancelled or the file failed.
bool SaveConfigFile();
void OpenConfigFile();

// Asks whether to save unsaved changes first; false when the command should be abandoned.
bool ConfirmUnsavedChanges();
