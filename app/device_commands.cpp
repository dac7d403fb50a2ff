// The device commands run on the one thread: the transfer pumps messages after every register,
// so the window stays alive. One command at a time: a second one, and New, Open and Save, are
// refused until it ends, and a close or a quit waits for the transfer so that a write is never
// cut between its two commit markers.
#include "device_commands.h"

#include "app_state.h"
#include "device_transfer.h"
#include "file_commands.h"
#include "main_window.h"
#include "message_routing.h"
#include "resource.h"
#include "settings_window.h"

namespace {

const char kChooseControlModeText[] = "Choose a Control Mode before saving to the Tandemix.";
const char kAdapterInUseText[] = "The Tandemix is in use by another program.\n\nTry again when "
                                 "that program has finished with it.";

// What makes the two commands differ; everything else they do the same way.
struct DeviceCommand {
    int progressDialog;
    // Read From Tandemix: asks about unsaved changes first, and shows what it read.
    bool readsIntoWindow;
    DeviceOutcome (*transfer)(unsigned char record[kConfigRecordSize], ProgressOperation progress);
    ProgressOperation progress;
    const char* doneText;
    const char* exchangeFailedText;
};

DeviceOutcome WriteWindowRecord(unsigned char record[kConfigRecordSize],
                                ProgressOperation progress) {
    return WriteDeviceConfig(record, progress);
}

const DeviceCommand kSaveToDevice = {
    IDD_WRITE_PROGRESS,
    false,
    WriteWindowRecord,
    ShowWriteProgress,
    "The configuration was successfully saved to the Tandemix",
    "Error while writing to the Tandemix",
};

const DeviceCommand kReadFromDevice = {
    IDD_READ_PROGRESS,
    true,
    ReadDeviceConfig,
    ShowReadProgress,
    "The configuration was successfully read from the Tandemix",
    "Error while reading from the Tandemix",
};

void ShowProgress(const char* format, int dataPercent) {
    char text[96];
    wsprintfA(text, format, dataPercent);
    SetWindowTextA(GetDlgItem(app.progressWindow, IDC_PROGRESS_TEXT), text);
    PumpPendingMessages();
}

// The list and the size boxes take no input while a transfer runs, so that the window shows
// what was written, and a read never overwrites a half-typed value. The progress window and
// the disabling take the focus away, so it is given back at the end.
void HoldSettingsInput(bool hold) {
    if (hold)
        RememberFocusedControl();
    const HWND settings[] = {app.controls.controlModeList, app.controls.xBox, app.controls.yBox};
    for (HWND control : settings)
        EnableWindow(control, !hold);
    if (!hold && app.focusedControl)
        SetFocus(app.focusedControl);
}

// A write stores the window's settings as the user sees them: a Control Mode must be chosen,
// and a size the record replaces is confirmed first.
bool ReadyToWrite() {
    if (!ControlModeChosen()) {
        MessageBoxA(app.mainWindow, kChooseControlModeText, kAppCaption, MB_ICONWARNING);
        SetFocus(app.controls.controlModeList);
        return false;
    }
    return ConfirmReplacedSizes();
}

// Closes the progress window, settles, and carries out a quit or close that arrived meanwhile.
// Returns false when the command must end without its result box.
bool EndTransfer() {
    DWORD settleStart = GetTickCount(); // closing the progress window is part of the wait
    DestroyWindow(app.progressWindow);
    app.progressWindow = nullptr;
    TransferState& transfer = app.transfer;
    if (!transfer.quitReceived && !transfer.closeRequested)
        WaitPumpingMessages(deviceSettleMs, settleStart);
    HoldSettingsInput(false);
    transfer.running = false;
    if (transfer.quitReceived) {
        transfer.quitReceived = false;
        PostQuitMessage(static_cast<int>(transfer.quitExitCode));
        return false;
    }
    if (transfer.closeRequested) {
        transfer.closeRequested = false;
        CloseMainWindow();
        return IsWindow(app.mainWindow) != FALSE; // the user kept the window open
    }
    return true;
}

void ShowResult(const DeviceCommand& command, const DeviceOutcome& outcome) {
    if (outcome.result == kDeviceDone) {
        MessageBoxA(app.mainWindow, command.doneText, kAppCaption, MB_OK);
        return;
    }
    const char* text = command.exchangeFailedText;
    if (outcome.result == kDeviceNotFound)
        text = AdapterInUse(outcome) ? kAdapterInUseText : kNotFoundText;
    MessageBoxA(app.mainWindow, text, kAppCaption, MB_ICONERROR);
}

void RunDeviceCommand(const DeviceCommand& command) {
    if (RefusedDuringTransfer())
        return;
    if (command.readsIntoWindow ? !ConfirmUnsavedChanges() : !ReadyToWrite())
        return;
    app.transfer.running = true;
    HoldSettingsInput(true);
    unsigned char record[kConfigRecordSize];
    if (!command.readsIntoWindow)
        BuildConfigRecord(record);
    DWORD settleStart = GetTickCount(); // the adapter settles while the progress window opens
    OpenProgressWindow(command.progressDialog);
    WaitPumpingMessages(deviceSettleMs, settleStart);
    DeviceOutcome outcome = command.transfer(record, command.progress);
    if (!EndTransfer())
        return;
    // Only a read that replaced the settings makes the window match a configuration again; after
    // a failed one the user's edits are still there, and still unsaved.
    if (outcome.result == kDeviceDone && command.readsIntoWindow) {
        ApplyConfigRecord(record);
        LayoutMainWindow();
        MarkConfigurationUnchanged();
    }
    ShowResult(command, outcome);
}

} // namespace

DWORD deviceSettleMs = 100;

bool RefusedDuringTransfer() {
    if (!app.transfer.running)
        return false;
    MessageBeep(MB_OK);
    return true;
}

void OpenProgressWindow(int dialogId) {
    app.progressWindow = CreateDialogParamA(app.instance, MAKEINTRESOURCEA(dialogId),
                                            app.mainWindow, ProgressDlgProc, 0);
    ShowWindow(app.progressWindow, SW_SHOW);
    UpdateWindow(app.progressWindow);
}

// The first line's 100% is the whole configuration, which is the 32 data registers.
void ShowWriteProgress(int dataPercent) {
    ShowProgress("Writing configuration - 100%%\nWriting data - %d%%", dataPercent);
}

void ShowReadProgress(int dataPercent) {
    ShowProgress("Reading configuration - 100%%\nReading data - %d%%", dataPercent);
}

INT_PTR CALLBACK ProgressDlgProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

void SaveToDeviceCommand() {
    RunDeviceCommand(kSaveToDevice);
}

void ReadFromDeviceCommand() {
    RunDeviceCommand(kReadFromDevice);
}
