// Reads the Control Mode list and the X and Y boxes into the pure record rules and writes the
// decoded values back into them.
#include "config/config_window.h"

#include "app/app_state.h"

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
    SendMessageA(mainControls.controlModeList, CB_SETCURSEL, selection, 0);
}

} // namespace

bool BuildConfigRecord(unsigned char record[kConfigRecordSize]) {
    ConfigSettings settings;
    // The encoder keeps the low byte, so no selection (CB_ERR) is stored as 0xFF.
    settings.controlModeSelection =
        static_cast<int>(SendMessageA(mainControls.controlModeList, CB_GETCURSEL, 0, 0));
    settings.widthEntry = GetDlgItemInt(mainWindow, kXBoxId, nullptr, FALSE);
    settings.heightEntry = GetDlgItemInt(mainWindow, kYBoxId, nullptr, FALSE);
    EncodeConfigRecord(settings, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                       record);
    return true;
}

bool ApplyConfigRecord(const unsigned char record[kConfigRecordSize]) {
    DecodedConfig decoded = DecodeConfigRecord(record);
    writingSettings = true;
    ShowNumber(mainControls.xBox, decoded.width);
    ShowNumber(mainControls.yBox, decoded.height);
    SelectControlMode(decoded.controlModeIndex);
    writingSettings = false;
    return true;
}

void ShowScreenSize() {
    writingSettings = true;
    ShowNumber(mainControls.xBox, static_cast<unsigned int>(GetSystemMetrics(SM_CXSCREEN)));
    ShowNumber(mainControls.yBox, static_cast<unsigned int>(GetSystemMetrics(SM_CYSCREEN)));
    writingSettings = false;
}

void ResetConfiguration() {
    writingSettings = true;
    SelectControlMode(0);
    writingSettings = false;
    ShowScreenSize();
}
