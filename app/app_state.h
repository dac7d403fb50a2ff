// The utility's process-wide handles and texts: the one thread's shared state.
#pragma once

#include <windows.h>

extern HINSTANCE appInstance;
extern HWND mainWindow;
extern HFONT controlFont;
extern HWND progressWindow; // the modeless progress window while a transfer runs, else null

// The ten child controls of the main window, in creation order.
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
extern MainControls mainControls;

// Set by the user's own edits of the settings; cleared where the window matches a saved or
// freshly loaded configuration.
extern bool configurationChanged;
// Set while the program itself writes the settings into the controls, whose change
// notifications then mark nothing.
extern bool writingSettings;

enum : int {
    kXBoxId = 2405,
    kYBoxId = 2406,
};

extern const char kAppCaption[];
extern const char kNotFoundText[];
