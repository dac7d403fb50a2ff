// The device commands run on the one thread: the transfer pumps messages after every register,
// so the window stays alive. One command at a time: a second one, and New, Open and Save, are
// refused until it ends, and a close or a quit waits for the transfer so that a write is never
// cut between its two commit markers.
#include "app/device_commands.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "config/config_file.h"
#include "config/config_window.h"
#include "device/device_transfer.h"
#include "res/resource.h"

namespace {

const DWORD kSettleMs = 100;

bool commandRunning;
bool closeRequested;
bool quitReceived;
WPARAM quitExitCode;

void RouteMessage(MSG* message) {
    if (message->message == WM_QUIT) {
        quitReceived = true; // posted again when the command ends
        quitExitCode = message->wParam;
        return;
    }
    if (IsWindow(progressWindow) && IsDialogMessageA(mainWindow, message))
        return;
    TranslateMessage(message);
    DispatchMessageA(message);
}

void PumpPendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        RouteMessage(&message);
}

void ShowProgress(const char* format, int totalPercent, int dataPercent) {
    char text[96];
    wsprintfA(text, format, totalPercent, dataPercent);
    SetWindowTextA(GetDlgItem(progressWindow, IDC_PROGRESS_TEXT), text);
    PumpPendingMessages();
}

bool BeginDeviceCommand(bool askAboutUnsavedChanges) {
    if (RefusedDuringTransfer())
        return false;
    if (askAboutUnsavedChanges && !ConfirmUnsavedChanges())
        return false;
    commandRunning = true;
    return true;
}

// Closes the progress window, settles, and carries out a quit or close that arrived meanwhile.
// Returns false when the command must end without its result box.
bool EndTransfer() {
    DestroyWindow(progressWindow);
    progressWindow = nullptr;
    if (!quitReceived && !closeRequested)
        WaitPumpingMessages(kSettleMs);
    commandRunning = false;
    if (quitReceived) {
        quitReceived = false;
        PostQuitMessage(static_cast<int>(quitExitCode));
        return false;
    }
    if (closeRequested) {
        closeRequested = false;
        CloseMainWindow();
        return IsWindow(mainWindow) != FALSE; // the user kept the window open
    }
    return true;
}

void ShowResult(const char* text, UINT style) {
    MessageBoxA(mainWindow, text, kAppCaption, style);
}

} // namespace

bool DeviceCommandRunning() {
    return commandRunning;
}

bool RefusedDuringTransfer() {
    if (!commandRunning)
        return false;
    MessageBeep(MB_OK);
    return true;
}

void CloseAfterTransfer() {
    closeRequested = true;
}

void WaitPumpingMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (static_cast<LONG>(GetTickCount() - start) < static_cast<LONG>(milliseconds)) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            RouteMessage(&message);
        else
            Sleep(1);
    }
}

void OpenProgressWindow(int dialogId) {
    progressWindow =
        CreateDialogParamA(appInstance, MAKEINTRESOURCEA(dialogId), mainWindow, ProgressDlgProc, 0);
    ShowWindow(progressWindow, SW_SHOW);
    UpdateWindow(progressWindow);
}

void ShowWriteProgress(int totalPercent, int dataPercent) {
    ShowProgress("Writing configuration - %d%%\nWriting data - %d%%", totalPercent, dataPercent);
}

void ShowReadProgress(int totalPercent, int dataPercent) {
    ShowProgress("Reading configuration - %d%%\nReading data - %d%%", totalPercent, dataPercent);
}

INT_PTR CALLBACK ProgressDlgProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

void SaveToDeviceCommand() {
    if (!BeginDeviceCommand(false))
        return;
    unsigned char record[kConfigRecordSize];
    BuildConfigRecord(record);
    OpenProgressWindow(IDD_WRITE_PROGRESS);
    WaitPumpingMessages(kSettleMs);
    int result = WriteDeviceConfig(record, ShowWriteProgress);
    if (!EndTransfer())
        return;
    switch (result) {
        case kDeviceDone:
            ShowResult("The configuration was successfully saved to the Tandemix", MB_OK);
            break;
        case kDeviceNotFound:
            ShowResult(kNotFoundText, MB_ICONERROR);
            break;
        case kDeviceExchangeFailed:
            ShowResult("Error while writing to the Tandemix", MB_ICONERROR);
            break;
        default:
            ShowResult("Unknown error", MB_ICONERROR);
            break;
    }
}

void ReadFromDeviceCommand() {
    if (!BeginDeviceCommand(true))
        return;
    unsigned char record[kConfigRecordSize];
    OpenProgressWindow(IDD_READ_PROGRESS);
    WaitPumpingMessages(kSettleMs);
    int result = ReadDeviceConfig(record, ShowReadProgress);
    if (!EndTransfer())
        return;
    char text[32];
    switch (result) {
        case kDeviceDone:
            if (!ApplyConfigRecord(record)) {
                ShowResult("Invalid configuration", MB_ICONERROR);
                return;
            }
            LayoutControls();
            PlaceButtons();
            ShowResult("The configuration was successfully read from the Tandemix", MB_OK);
            break;
        case kDeviceNotFound:
            ShowResult(kNotFoundText, MB_ICONERROR);
            break;
        case kDeviceExchangeFailed:
            ShowResult("Error while reading from the Tandemix", MB_ICONERROR);
            break;
        case kDeviceInvalidConfiguration:
            ShowResult("Invalid configuration", MB_ICONERROR);
            break;
        default:
            wsprintfA(text, "Unknown error (%d)", result);
            ShowResult(text, MB_ICONERROR);
            break;
    }
    configurationChanged = false;
}
