// Start-up: the disc warning, the class, the main window and its controls, the adapter probe,
// then the one message loop of the program.
#include "app/startup.h"

#include <windows.h>

#include <commctrl.h>
#include <string.h>

#include "app/app_state.h"
#include "app/main_window.h"
#include "config/config_window.h"
#include "device/device_transfer.h"
#include "res/resource.h"

VolumeQuery queryVolumeInformation = GetVolumeInformationA;

namespace {

const char kMainClassName[] = "TandemixloadClass";
const char kDistributionDiscLabel[] = "Tandemix";
const char kDistributionDiscWarning[] =
    "Warning: The Tandemix programs must be copied to and run\nfrom its own folder on the PC's "
    "harddrive. The CD itself\nshould be reserved for backup purposes only.";
const int kTextBufferSize = 255;
const int kClientWidth = 625;
const int kClientHeight = 220;

} // namespace

// The query succeeds only for the root of a volume, so a subfolder of the disc never warns.
void WarnIfRunFromDistributionDisc() {
    char directory[kTextBufferSize] = "";
    char label[kTextBufferSize] = "";
    char fileSystem[kTextBufferSize] = "";
    GetCurrentDirectoryA(kTextBufferSize, directory);
    if (!queryVolumeInformation(directory, label, kTextBufferSize, nullptr, nullptr, nullptr,
                                fileSystem, kTextBufferSize))
        label[0] = '\0';
    label[kTextBufferSize - 1] = '\0';
    if (strcmp(label, kDistributionDiscLabel) == 0)
        MessageBoxA(nullptr, kDistributionDiscWarning, kAppCaption, MB_OK);
}

void InitCommonControlsForUtility() {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
}

void RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TANDEMIX));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDM_MAINMENU);
    windowClass.lpszClassName = kMainClassName;
    RegisterClassA(&windowClass);
}

void CreateMainWindow(HINSTANCE instance) {
    mainControls = MainControls{};
    RECT outer = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, TRUE);
    mainWindow = CreateWindowExA(0, kMainClassName, kAppCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                 CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                                 nullptr, nullptr, instance, nullptr);
    appInstance = instance;
}

// 8.25 points: 33 quarter-points at the display's dots per inch.
void CreateControlFont() {
    HDC context = GetDC(mainWindow);
    int height = -MulDiv(33, GetDeviceCaps(context, LOGPIXELSY), 288);
    ReleaseDC(mainWindow, context);
    controlFont = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0,
                              "Microsoft Sans Serif");
}

void CreateControlsWithScreenSize() {
    CreateMainControls();
    ShowScreenSize();
}

void ResetAndLayOut() {
    ResetConfiguration();
    configurationChanged = false;
    LayoutControls();
    PlaceButtons();
}

bool ProbeAdapterAtStartup() {
    if (ProbeDevice() == kDeviceDone)
        return true;
    MessageBoxA(mainWindow, kNotFoundText, kAppCaption, MB_ICONERROR);
    DestroyWindow(mainWindow);
    return false;
}

void ShowMainWindow(int showCommand) {
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
}

int RunMessageLoop(HACCEL accelerators) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(mainWindow, accelerators, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

void DeleteControlFont() {
    DeleteObject(controlFont);
    controlFont = nullptr;
}

int RunUtility(HINSTANCE instance, int showCommand) {
    WarnIfRunFromDistributionDisc();
    InitCommonControlsForUtility();
    RegisterMainWindowClass(instance);
    CreateMainWindow(instance);
    CreateControlFont();
    CreateControlsWithScreenSize();
    ResetAndLayOut();
    if (ProbeAdapterAtStartup())
        ShowMainWindow(showCommand);
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAINACCEL));
    int exitCode = RunMessageLoop(accelerators);
    DeleteControlFont();
    return exitCode;
}
