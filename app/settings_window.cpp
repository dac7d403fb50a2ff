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

// A size box and the rule the record applies to its entry.
struct SizeBox {
    int id;
    const char* name;
    const char* screenSide;
    bool (*kept)(unsigned int entry);
    unsigned int minStored, maxStored;
    int screenMetric;
};

const SizeBox kSizeBoxes[] = {
    {IDC_X_SIZE, "X Size", "width", WidthEntryKept, kMinStoredWidth, kMaxStoredWidth, SM_CXSCREEN},
    {IDC_Y_SIZE, "Y Size", "height", HeightEntryKept, kMinStoredHeight, kMaxStoredHeight,
     SM_CYSCREEN},
};

unsigned int SizeEntry(int id) {
    return GetDlgItemInt(app.mainWindow, id, nullptr, FALSE);
}

// Names the value that the screen's size will replace; false when the user cancels.
bool ConfirmReplacedSize(const SizeBox& size) {
    char entry[32];
    GetDlgItemTextA(app.mainWindow, size.id, entry, sizeof(entry));
    char shown[40] = "(empty)";
    if (entry[0] != '\0')
        wsprintfA(shown, "\"%s\"", entry);
    char text[320];
    wsprintfA(text,
              "The %s %s is outside the accepted range, %u to %u.\n\nThe screen's %s, %d, will "
              "be stored instead.",
              size.name, shown, size.minStored + 1u, size.maxStored + 1u, size.screenSide,
              GetSystemMetrics(size.screenMetric));
    if (MessageBoxA(app.mainWindow, text, kAppCaption, MB_ICONWARNING | MB_OKCANCEL) == IDOK)
        return true;
    SetFocus(GetDlgItem(app.mainWindow, size.id));
    return false;
}

} // namespace

bool ConfirmReplacedSizes() {
    for (const SizeBox& size : kSizeBoxes)
        if (!size.kept(SizeEntry(size.id)) && !ConfirmReplacedSize(size))
            return false;
    return true;
}

bool ControlModeChosen() {
    return SendMessageA(app.controls.controlModeList, CB_GETCURSEL, 0, 0) != CB_ERR;
}

void BuildConfigRecord(unsigned char record[kConfigRecordSize]) {
    ConfigSettings settings;
    // The encoder keeps the low byte, so no selection (CB_ERR) is stored as 0xFF.
    settings.controlModeSelection =
        static_cast<int>(SendMessageA(app.controls.controlModeList, CB_GETCURSEL, 0, 0));
    settings.widthEntry = SizeEntry(IDC_X_SIZE);
    settings.heightEntry = SizeEntry(IDC_Y_SIZE);
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
