// The configuration file commands with the common file dialogs. A file that cannot hold or
// supply all 512 bytes is reported, so a save never claims success over a short file and an
// open never shows bytes the file did not have.
#include "config/config_file.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "app/app_state.h"
#include "app/file_dialog.h"
#include "app/main_window.h"
#include "config/config_window.h"

char configFileName[kConfigFileNameSize];

namespace {

const char kDefaultFileName[] = "Config.TNX";
const char kFileFilter[] = "All files\0*.*\0";
const DWORD kSaveDialogFlags =
    OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
const DWORD kOpenDialogFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
const char kUnsavedChangesQuestion[] =
    "The current configuration has changed.\nDo you want to save the changes?";

void ShowFileError(const char* text) {
    MessageBoxA(mainWindow, text, kAppCaption, MB_ICONERROR);
}

void PrepareFileDialog(OPENFILENAMEA* dialog, const char* title, DWORD flags) {
    memset(dialog, 0, sizeof(*dialog));
    dialog->lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog->hwndOwner = mainWindow;
    dialog->lpstrFilter = kFileFilter;
    dialog->lpstrFile = configFileName;
    dialog->nMaxFile = kConfigFileNameSize;
    dialog->lpstrTitle = title;
    dialog->Flags = flags;
}

} // namespace

bool SaveConfigFile() {
    unsigned char record[kConfigRecordSize];
    BuildConfigRecord(record);
    if (configFileName[0] == '\0')
        strcpy(configFileName, kDefaultFileName);
    OPENFILENAMEA dialog;
    PrepareFileDialog(&dialog, "Save File", kSaveDialogFlags);
    switch (ShowSaveFileDialog(&dialog)) {
        case FileDialogOutcome::kChosen:
            break;
        case FileDialogOutcome::kCancelled:
            configFileName[0] = '\0';
            return false;
        case FileDialogOutcome::kUnavailable:
            ShowFileError("Error saving the file");
            return false;
    }
    FILE* file = fopen(configFileName, "wbS");
    if (!file) {
        ShowFileError("Error saving the file");
        return false;
    }
    // The bytes reach the disk at the flush; a full disk shows only there.
    bool written = fwrite(record, 1, kConfigRecordSize, file) == kConfigRecordSize &&
                   fflush(file) == 0 && !ferror(file);
    bool closed = fclose(file) == 0;
    if (!written || !closed) {
        ShowFileError("Error saving the file");
        return false;
    }
    configurationChanged = false;
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
    FILE* file = fopen(configFileName, "rbS");
    if (!file) {
        ShowFileError("Error opening the file");
        return;
    }
    unsigned char record[kConfigRecordSize] = {};
    size_t read = fread(record, 1, kConfigRecordSize, file);
    fclose(file);
    if (read != kConfigRecordSize || !ApplyConfigRecord(record)) {
        ShowFileError("Invalid configuration file");
        return;
    }
    configurationChanged = false;
    LayoutControls();
    PlaceButtons();
}

bool ConfirmUnsavedChanges() {
    if (!configurationChanged)
        return true;
    switch (MessageBoxA(mainWindow, kUnsavedChangesQuestion, kAppCaption,
                        MB_ICONQUESTION | MB_YESNOCANCEL)) {
        case IDYES:
            return SaveConfigFile();
        case IDNO:
            return true;
    }
    return false;
}
