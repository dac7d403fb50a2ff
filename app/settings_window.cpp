// Reads the Control Mode list and the X and Y boxes into the pure record rules and writes the
// decoded values back into them.
#include "settings_window.h"

#include "app_state.h"
#include "resource.h"

namespace {

void ShowNumber(HWND box, unsigned int value) {
    char text[16];
    wsprintfA(text, "%d", value);
    SetWindowTextA(box, text);
}

// Wine keeps the old selection for an index past the last entry; -1 clears it everywhere.
void SelectControlMode(int index) {
    WPARAM selection =
        index < kControlModeCount ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1);
    SendMessageA(app.controls.controlModeList, CB_SETCURSEL, selection, 0);
}

} // namespace

void BuildConfigRecord(unsigned char record[kConfigRecordSize]) {
    ConfigSettings settings;
    // The encoder keeps the low byte, so no selection (CB_ERR) is stored as 0xFF.
    settings.controlModeSelection =
        static_cast<int>(SendMessageA(app.controls.controlModeList, CB_GETCURSEL, 0, 0));
    settings.widthEntry = GetDlgItemInt(app.mainWindow, IDC_X_SIZE, nullptr, FALSE);
    settings.heightEntry = GetDlgItemInt(app.mainWindow, IDC_Y_SIZE, nullptr, FALSE);
    EncodeConfigRecord(settings, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                       record);
}

void ApplyConfigRecord(const unsigned char record[kConfigRecordSize]) {
    DecodedConfig decoded = DecodeConfigRecord(record);
    app.writingSettings = true;
    ShowNumber(app.controls.xBox, decoded.width);
    ShowNumber(app.controls.yBox, decoded.height);
    SelectControlMode(decoded.controlModeIndex);
    app.writingSettings = false;
}

void ShowScreenSize() {
    app.writingSettings = true;
    ShowNumber(app.controls.xBox, static_cast<unsigned int>(GetSystemMetrics(SM_CXSCREEN)));
    ShowNumber(app.controls.yBox, static_cast<unsigned int>(GetSystemMetrics(SM_CYSCREEN)));
    app.writingSettings = false;
}

void ResetConfiguration() {
    app.writingSettings = true;
    SelectControlMode(0);
    app.writingSettings = false;
    ShowScreenSize();
}
