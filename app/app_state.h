// The utility's one home for its state: the one thread's handles, the file name, the unsaved
// flag and the state of a running transfer.
#pragma once

#include <windows.h>

// The ten child controls of the main window.
struct MainControls {
    HWND screenSizeCaption;
    HWND xLabel;
    HWND controlModeCaption;
    HWND xSizeCaption;
    HWND ySizeCaption;
    HWND controlModeList;
    HWND saveButton;
    HWND readButton;
    HWND xBox;
    HWND yBox;
};

// A device command from its start until its result box.
struct TransferState {
    bool running;
    bool closeRequested; // a close asked for during the transfer, carried out at its end
    bool quitReceived;   // a quit message taken by a pump, posted again at the end
    WPARAM quitExitCode;
};

enum : int { kConfigFileNameSize = 512 };

struct AppState {
    HINSTANCE instance;
    HWND mainWindow;
    int dpi; // the main window's dots per inch, from its creation on
    HFONT controlFont;
    HFONT numberFont; // the X and Y boxes'
    HACCEL accelerators;
    HWND progressWindow; // the modeless progress window while a transfer runs, else null
    MainControls controls;
    // The control that had the focus when the window was last deactivated or a transfer took
    // the focus away; null for none (the focus then returns to the window itself).
    HWND focusedControl;
    // The name both file dialogs start from and leave the chosen path in; empty at start.
    wchar_t fileName[kConfigFileNameSize];
    // Set while the program itself writes the settings into the controls, whose change
    // notifications then mark nothing.
    bool writingSettings;
    // Changed only by the two functions below.
    bool configurationChanged;
    TransferState transfer;
};

extern AppState app;

// The user edited a setting (ignored while the program writes the settings itself).
void MarkConfigurationChanged();
// The window matches a saved or freshly loaded configuration.
void MarkConfigurationUnchanged();

extern const char kAppCaption[];
extern const char kNotFoundText[];
