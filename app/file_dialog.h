// The common Open and Save dialogs, whose library is loaded at the first use.
#pragma once

#include <windows.h>

#include <commdlg.h>

enum class FileDialogOutcome { kChosen, kCancelled, kUnavailable };

FileDialogOutcome ShowSaveFileDialog(OPENFILENAMEW* dialog);
FileDialogOutcome ShowOpenFileDialog(OPENFILENAMEW* dialog);
