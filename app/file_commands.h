// File > Save and File > Open with their dialogs, and the unsaved-changes question.
#pragma once

// True when all 512 bytes reached the file; false when cancelled or the file failed.
bool SaveConfigFile();
void OpenConfigFile();
// Opens a file named from outside the Open dialog (the command line, a dropped file) with the
// same question first and the same checks and messages. `name` need not end at `length`.
void OpenNamedConfigFile(const wchar_t* name, int length);

// Asks whether to save unsaved changes first; false when the command should be abandoned.
bool ConfirmUnsavedChanges();
