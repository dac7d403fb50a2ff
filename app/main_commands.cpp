// The commands of the main window itself: New, Exit, About, and closing.
#include "app/app_state.h"
#include "app/device_commands.h"
#include "app/main_window.h"
#include "config/config_file.h"
#include "config/config_window.h"
#include "res/resource.h"

void NewCommand() {
    if (!ConfirmUnsavedChanges())
        return;
    ResetConfiguration();
    configurationChanged = false;
    LayoutControls();
    PlaceButtons();
}

void ExitCommand() {
    CloseMainWindow();
}

void CloseMainWindow() {
    if (DeviceCommandRunning()) {
        CloseAfterTransfer();
        return;
    }
    if (ConfirmUnsavedChanges())
        DestroyWindow(mainWindow);
}

void AboutCommand() {
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_ABOUT), mainWindow, AboutDlgProc, 0);
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_COMMAND)
        return FALSE;
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
}
