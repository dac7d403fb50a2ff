// The commands of the main window itself: New, Exit, About, and closing.
#include "app_state.h"
#include "file_commands.h"
#include "main_window.h"
#include "resource.h"
#include "settings_window.h"

void NewCommand() {
    if (!ConfirmUnsavedChanges())
        return;
    ResetConfiguration();
    MarkConfigurationUnchanged();
    LayoutMainWindow();
}

void ExitCommand() {
    CloseMainWindow();
}

void CloseMainWindow() {
    if (app.transfer.running) {
        app.transfer.closeRequested = true;
        return;
    }
    if (ConfirmUnsavedChanges())
        DestroyWindow(app.mainWindow);
}

void AboutCommand() {
    DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_ABOUT), app.mainWindow, AboutDlgProc, 0);
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_COMMAND)
        return FALSE;
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
}
