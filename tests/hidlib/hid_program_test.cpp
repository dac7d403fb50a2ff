// The whole program with our Tandemix.dll on a machine with no adapter: Tandemix.exe, copied
// beside this test with the DLL, says the adapter was not found and ends when that is confirmed.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

namespace {

constexpr char kNotFoundFirstLine[] = "** The Tandemix was not found **";
constexpr char kCaption[] = "Tandemix Configuration Utility";
constexpr int kMessageTextId = 0xFFFF; // the static text of a message box
constexpr DWORD kPatienceMs = 20000;

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM parameter) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char className[16] = "";
    char title[64] = "";
    GetClassNameA(window, className, sizeof(className));
    GetWindowTextA(window, title, sizeof(title));
    if (processId == search->processId && strcmp(className, "#32770") == 0 &&
        strcmp(title, kCaption) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForMessageBox(DWORD processId, HANDLE process) {
    WindowSearch search = {processId, nullptr};
    for (DWORD waited = 0; waited < kPatienceMs && !search.found; waited += 50) {
        if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0)
            break;
        EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

TEST(HidProgramTest, WithoutAnAdapterTheUtilitySaysNotFoundAndEnds) {
    char folder[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, folder, sizeof(folder));
    ASSERT_GT(length, 0u);
    *strrchr(folder, '\\') = 0;
    char program[MAX_PATH + 16];
    strcpy(program, folder);
    strcat(program, "\\Tandemix.exe");

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION utility = {};
    ASSERT_TRUE(CreateProcessA(program, nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder,
                               &startup, &utility))
        << program;
    HWND messageBox = WaitForMessageBox(utility.dwProcessId, utility.hProcess);
    char text[512] = "";
    if (messageBox) {
        GetDlgItemTextA(messageBox, kMessageTextId, text, sizeof(text));
        PostMessageA(messageBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    bool ended = WaitForSingleObject(utility.hProcess, kPatienceMs) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(utility.hProcess, 1);
    CloseHandle(utility.hThread);
    CloseHandle(utility.hProcess);

    ASSERT_NE(messageBox, nullptr) << "no message box from the utility";
    EXPECT_EQ(strncmp(text, kNotFoundFirstLine, strlen(kNotFoundFirstLine)), 0) << text;
    EXPECT_TRUE(ended) << "the utility went on after the not-found message";
}

} // namespace
