// Reads the Control Mode list and the X and Y boxes into the adapter's settings and writes the
// decoded settings back into them: no selection is no Control Mode, and a size the adapter does
// not accept is stored as the screen's.
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

// A size box: a size the adapter does not accept (an empty box reads as 0) is replaced by the
// screen's in the record.
struct SizeBox {
    int id;
    const char* name;
    const char* screenSide;
    bool (*accepted)(unsigned int size);
    unsigned int minSize, maxSize;
    int screenMetric;
};

const SizeBox kSizeBoxes[] = {
    {IDC_X_SIZE, "X Size", "width", ScreenWidthAccepted, kMinScreenWidth, kMaxScreenWidth,
     SM_CXSCREEN},
    {IDC_Y_SIZE, "Y Size", "height", ScreenHeightAccepted, kMinScreenHeight, kMaxScreenHeight,
     SM_CYSCREEN},
};

unsigned int SizeEntry(int id) {
    return GetDlgItemInt(app.mainWindow, id, nullptr, FALSE);
}

unsigned int ScreenSize(int metric) {
    return static_cast<unsigned int>(GetSystemMetrics(metric));
}

unsigned int SizeToStore(const SizeBox& size) {
    unsigned int entry = SizeEntry(size.id);
    return size.accepted(entry) ? entry : ScreenSize(size.screenMetric);
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
              size.name, shown, size.minSize, size.maxSize, size.screenSide,
              GetSystemMetrics(size.screenMetric));
    if (MessageBoxA(app.mainWindow, text, kAppCaption, MB_ICONWARNING | MB_OKCANCEL) == IDOK)
        return true;
    SetFocus(GetDlgItem(app.mainWindow, size.id));
    return false;
}

// The program's own writes into the controls mark nothing as changed.
void ShowSettings(bool withControlMode, int controlMode, unsigned int width, unsigned int height) {
    app.writingSettings = true;
    ShowNumber(app.controls.xBox, width);
    ShowNumber(app.controls.yBox, height);
    if (withControlMode)
        SelectControlMode(controlMode);
    app.writingSettings = false;
}

} // namespace

bool ConfirmReplacedSizes() {
    for (const SizeBox& size : kSizeBoxes)
        if (!size.accepted(SizeEntry(size.id)) && !ConfirmReplacedSize(size))
            return false;
    return true;
}

bool ControlModeChosen() {
    return SendMessageA(app.controls.controlModeList, CB_GETCURSEL, 0, 0) != CB_ERR;
}

void BuildConfigRecord(unsigned char record[kConfigRecordSize]) {
    int selection =
        static_cast<int>(SendMessageA(app.controls.controlModeList, CB_GETCURSEL, 0, 0));
    ConfigSettings settings = {selection == CB_ERR ? kNoControlMode : selection,
                               SizeToStore(kSizeBoxes[0]), SizeToStore(kSizeBoxes[1])};
    EncodeConfigRecord(settings, record);
}

void ApplyConfigRecord(const unsigned char record[kConfigRecordSize]) {
    ConfigSettings settings = DecodeConfigRecord(record);
    ShowSettings(true, settings.controlMode, settings.width, settings.height);
}

void ShowScreenSize() {
    ShowSettings(false, 0, ScreenSize(SM_CXSCREEN), ScreenSize(SM_CYSCREEN));
}

void ResetConfiguration() {
    ShowSettings(true, 0, ScreenSize(SM_CXSCREEN), ScreenSize(SM_CYSCREEN));
}
