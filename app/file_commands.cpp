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

const char kDefaultFileName[] = "Config.TNX";
const char kFileFilter[] = "All files\0*.*\0";
const DWORD kSaveDialogFlags =
    OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
const DWORD kOpenDialogFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
const char kUnsavedChangesQuestion[] =
    "The current configuration has changed.\nDo you want to save the changes?";

void ShowFileError(const char* text) {
    MessageBoxA(app.mainWindow, text, kAppCaption, MB_ICONERROR);
}

void PrepareFileDialog(OPENFILENAMEA* dialog, const char* title, DWORD flags) {
    memset(dialog, 0, sizeof(*dialog));
    dialog->lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog->hwndOwner = app.mainWindow;
    dialog->lpstrFilter = kFileFilter;
    dialog->lpstrFile = app.fileName;
    dialog->nMaxFile = kConfigFileNameSize;
    dialog->lpstrTitle = title;
    dialog->Flags = flags;
}

} // namespace

bool SaveConfigFile() {
    unsigned char record[kConfigRecordSize];
    BuildConfigRecord(record);
    if (app.fileName[0] == '\0')
        strcpy(app.fileName, kDefaultFileName);
    OPENFILENAMEA dialog;
    PrepareFileDialog(&dialog, "Save File", kSaveDialogFlags);
    switch (ShowSaveFileDialog(&dialog)) {
        case FileDialogOutcome::kChosen:
            break;
        case FileDialogOutcome::kCancelled:
            app.fileName[0] = '\0';
            return false;
        case FileDialogOutcome::kUnavailable:
            ShowFileError("Error saving the file");
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
    if (!ConfirmUnsavedChanges())
        return;
    OPENFILENAMEA dialog;
    PrepareFileDialog(&dialog, "Open File", kOpenDialogFlags);
    switch (ShowOpenFileDialog(&dialog)) {
        case FileDialogOutcome::kChosen:
            break;
        case FileDialogOutcome::kCancelled:
            return;
        case FileDialogOutcome::kUnavailable:
            ShowFileError("Error opening the file");
            return;
    }
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
    LayoutControls();
    PlaceButtons();
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
