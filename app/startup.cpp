// Start-up: the disc warning, the class, the main window and its controls, the adapter probe,
// then the one message loop of the program.
#include "startup.h"

#include <windows.h>

#include <commctrl.h>
#include <string.h>

#include "app_state.h"
#include "device_transfer.h"
#include "main_window.h"
#include "message_routing.h"
#include "outside_files.h"
#include "resource.h"
#include "settings_window.h"
#include "system_library.h"
#include "window_dpi.h"

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

// comctl32 is not one of Windows' known libraries, so it comes from the system folder by name;
// without it the standard classes that user32 registers still serve.
void InitCommonControlsForUtility() {
    typedef BOOL(WINAPI * InitFunction)(const INITCOMMONCONTROLSEX*);
    InitFunction init =
        FindSystemFunction<InitFunction>(LoadSystemLibrary("comctl32.dll"), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_STANDARD_CLASSES};
    if (init)
        init(&classes);
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

RECT MainWindowRect(int dpi) {
    RECT outer = {0, 0, static_cast<LONG>(ScaleFrom96(kClientWidth, dpi)),
                  static_cast<LONG>(ScaleFrom96(kClientHeight, dpi))};
    AdjustMainWindowRect(&outer, dpi);
    return outer;
}

// Its WM_CREATE makes the font and the controls and shows the screen size in the boxes. It is
// made at the display's dots per inch; on a monitor of others it is sized again.
bool CreateMainWindow(HINSTANCE instance) {
    app.instance = instance;
    app.controls = MainControls{};
    int displayDpi = WindowDpi(nullptr);
    RECT outer = MainWindowRect(displayDpi);
    if (!CreateWindowExA(WS_EX_ACCEPTFILES, kMainClassName, kAppCaption, WS_OVERLAPPEDWINDOW,
                         CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
                         outer.bottom - outer.top, nullptr, nullptr, instance, nullptr))
        return false;
    if (app.dpi == displayDpi)
        return true;
    outer = MainWindowRect(app.dpi);
    SetWindowPos(app.mainWindow, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

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

bool BuildMainWindow(HINSTANCE instance) {
    InitCommonControlsForUtility();
    RegisterMainWindowClass(instance);
    if (!CreateMainWindow(instance))
        return false;
    ResetConfiguration();
    MarkConfigurationUnchanged();
    LayoutMainWindow();
    app.accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAINACCEL));
    return true;
}

bool ProbeAdapterAtStartup() {
    if (ProbeDevice().result == kDeviceDone)
        return true;
    MessageBoxA(app.mainWindow, kNotFoundText, kAppCaption, MB_ICONERROR);
    DestroyWindow(app.mainWindow);
    return false;
}

void ShowMainWindow(int showCommand) {
    ShowWindow(app.mainWindow, showCommand);
    UpdateWindow(app.mainWindow);
}

// Without a window no message would ever end the loop, so the program ends at once.
int RunUtility(HINSTANCE instance, const wchar_t* commandLine, int showCommand) {
    WarnIfRunFromDistributionDisc();
    if (!BuildMainWindow(instance))
        return kExitNoMainWindow;
    if (ProbeAdapterAtStartup()) {
        ShowMainWindow(showCommand);
        OpenCommandLineFile(commandLine);
    }
    int exitCode = RunMessageLoop();
    DeleteControlFonts();
    return exitCode;
}
