// Definitions of the process-wide handles and texts.
#include "app/app_state.h"

HINSTANCE appInstance;
HWND mainWindow;
HFONT controlFont;
HWND progressWindow;
MainControls mainControls;
bool configurationChanged;
bool writingSettings;

const char kAppCaption[] = "Tandemix Configuration Utility";
const char kNotFoundText[] = "** The Tandemix was not found **\n\nBe sure the Tandemix KB/MOUSE "
                             "port\nis connected to this computer's USB port\n\n(Not the Tandemix "
                             "Com Port connector)";
