// comdlg32 brings the shell and its libraries with it, which start-up does not need: it is
// loaded by the first Open or Save and stays loaded, the same way in the 32- and 64-bit builds.
#include "file_dialog.h"

#include "system_library.h"

namespace {

typedef BOOL(WINAPI* FileDialogFunction)(OPENFILENAMEW*);

FileDialogOutcome ShowFileDialog(const char* functionName, OPENFILENAMEW* dialog) {
    static HMODULE dialogLibrary;
    if (!dialogLibrary)
        dialogLibrary = LoadSystemLibrary("comdlg32.dll");
    FileDialogFunction show = FindSystemFunction<FileDialogFunction>(dialogLibrary, functionName);
    if (!show)
        return FileDialogOutcome::kUnavailable;
    return show(dialog) ? FileDialogOutcome::kChosen : FileDialogOutcome::kCancelled;
}

} // namespace

FileDialogOutcome ShowSaveFileDialog(OPENFILENAMEW* dialog) {
    return ShowFileDialog("GetSaveFileNameW", dialog);
}

FileDialogOutcome ShowOpenFileDialog(OPENFILENAMEW* dialog) {
    return ShowFileDialog("GetOpenFileNameW", dialog);
}
