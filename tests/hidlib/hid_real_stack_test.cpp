// Our Tandemix.dll over the real HID stack of a machine without an adapter (Wine's, here): called
// from this program, which loads it from beside itself, and under Tandemix.exe copied beside it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include "tandemix_hid.h"

TEST(HidRealStackTest, TheOpenFailsAndTheCallsAfterItAreSafe) {
    DeviceRecord device;
    memset(&device, 0x77, sizeof(device));
    EXPECT_NE(OpenHidDevice(kAdapterVendorId, 6, 6, &device), 0);
    const unsigned char send[kExchangeAreaSize] = {0x02, 0x82, 0x00, 0x10};
    unsigned char receive[kExchangeAreaSize] = {};
    EXPECT_NE(WriteHidDevice(&device, send, receive), 0);
    CloseHidDevice(&device);
}

static HWND shownWindow;

static BOOL CALLBACK FindShownWindow(HWND window, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(processId) && IsWindowVisible(window))
        shownWindow = window;
    return !shownWindow;
}

// The first window the utility shows must be its not-found message.
TEST(HidRealStackTest, TheUtilitySaysNotFoundAndEndsWithExitCodeZero) {
    char commandLine[] = "Tandemix.exe"; // found first beside this program
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION utility = {};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &utility));
    // Up to 20 s for the message box, and as long again for the utility to end.
    for (int tries = 0; tries < 400 && !shownWindow; ++tries)
        if (WaitForSingleObject(utility.hProcess, 50) == WAIT_TIMEOUT)
            EnumWindows(FindShownWindow, utility.dwProcessId);
    char text[64] = "";
    GetDlgItemTextA(shownWindow, 0xFFFF, text, sizeof(text)); // a message box's text
    PostMessageA(shownWindow, WM_COMMAND, IDOK, 0);
    if (WaitForSingleObject(utility.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(utility.hProcess, 1);
    DWORD exitCode = 1;
    GetExitCodeProcess(utility.hProcess, &exitCode);
    CloseHandle(utility.hThread);
    CloseHandle(utility.hProcess);
    EXPECT_EQ(strncmp(text, "** The Tandemix was not found **", 32), 0) << text;
    EXPECT_EQ(exitCode, 0u);
}
