// The configuration file commands: the common dialogs choose the name, the record-file module
// moves the bytes, and every failure is shown.
#include "file_commands.h"

#include <string.h>

#include "app_state.h"
#include "config_file.h"
#include "file_dialog.h"
#include "main_window.h"
#include "settings_window.h"

namespace {

const wchar_t kDefaultFileName[] = L"Config.TNX";
const wchar_t kFileFilter[] = L"All files\0*.*\0";
// Windows' Save dialog takes OFN_FILEMUSTEXIST as "the file must exist" and may refuse a new name.
const DWORD kSaveDialogFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
const DWORD kOpenDialogFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
const char kUnsavedChangesQuestion[] =
    "The current configuration has changed.\nDo you want to save the changes?";

void ShowFileError(const char* text) {
    MessageBoxA(app.mainWindow, text, kAppCaption, MB_ICONERROR);
}

// Runs the Save or Open dialog on the shared name buffer; true when it gave a name. A dialog
// that cannot be shown is reported with the command's error text.
bool ChooseFileName(bool save) {
    OPENFILENAMEW dialog;
    memset(&dialog, 0, sizeof(dialog));
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    dialog.hwndOwner = app.mainWindow;
    dialog.lpstrFilter = kFileFilter;
    dialog.lpstrFile = app.fileName;
    dialog.nMaxFile = kConfigFileNameSize;
    dialog.lpstrTitle = save ? L"Save File" : L"Open File";
    dialog.Flags = save ? kSaveDialogFlags : kOpenDialogFlags;
    FileDialogOutcome outcome = save ? ShowSaveFileDialog(&dialog) : ShowOpenFileDialog(&dialog);
    if (outcome == FileDialogOutcome::kUnavailable)
        ShowFileError(save ? "Error saving the file" : "Error opening the file");
    return outcome == FileDialogOutcome::kChosen;
}

// Reads the file that the name buffer holds into the window.
void LoadChosenConfigFile() {
    unsigned char record[kConfigRecordSize];
    switch (ReadConfigFile(app.fileName, record)) {
        case kConfigFileDone:
            break;
        case kConfigFileNotOpened:
            ShowFileError("Error opening the file");
            return;
        default:
            ShowFileError("Invalid configuration file");
            return;
    }
    ApplyConfigRecord(record);
    MarkConfigurationUnchanged();
    LayoutMainWindow();
}

} // namespace

bool SaveConfigFile() {
    if (!ConfirmReplacedSizes())
        return false;
    unsigned char record[kConfigRecordSize];
    BuildConfigRecord(record);
    if (app.fileName[0] == L'\0')
        lstrcpyW(app.fileName, kDefaultFileName);
    // A dialog that ends without a name empties the buffer, so the next Save proposes the
    // default name again.
    if (!ChooseFileName(true)) {
        app.fileName[0] = L'\0';
        return false;
    }
    if (WriteConfigFile(app.fileName, record) != kConfigFileDone) {
        ShowFileError("Error saving the file");
        return false;
    }
    MarkConfigurationUnchanged();
    return true;
}

void OpenConfigFile() {
    if (ConfirmUnsavedChanges() && ChooseFileName(false))
        LoadChosenConfigFile();
}

void OpenNamedConfigFile(const wchar_t* name, int length) {
    if (!ConfirmUnsavedChanges())
        return;
    // A name cut to the buffer would open another file.
    if (length >= kConfigFileNameSize) {
        ShowFileError("Error opening the file");
        return;
    }
    lstrcpynW(app.fileName, name, length + 1);
    LoadChosenConfigFile();
}

bool ConfirmUnsavedChanges() {
    if (!app.configurationChanged)
        return true;
    switch (MessageBoxA(app.mainWindow, kUnsavedChangesQuestion, kAppCaption,
                        MB_ICONQUESTION | MB_YESNOCANCEL)) {
        case IDYES:
            return SaveConfigFile();
        case IDNO:
            return true;
    }
    return false;
}
