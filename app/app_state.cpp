// The process-wide state and texts of the utility.
#include "app_state.h"

AppState app;

void MarkConfigurationChanged() {
    if (!app.writingSettings)
        app.configurationChanged = true;
}

void MarkConfigurationUnchanged() {
    app.configurationChanged = false;
}

const char kAppCaption[] = "Tandemix Configuration Utility";
const char kNotFoundText[] = "** The Tandemix was not found **\n\nBe sure the Tandemix KB/MOUSE "
                             "port\nis connected to this computer's USB port\n\n(Not the Tandemix "
                             "Com Port connector)";
