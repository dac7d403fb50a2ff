// Runs the utility's real start-up steps inside a test program. The modal windows it opens are
// answered from a hook on the same thread once their own loop runs, so a window that no test
// expects fails the test at once instead of waiting for a click that never comes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_library.h"

// Start-up with a fresh simulated adapter: the main window laid out, reset, shown and focused.
void CreateTestMainWindow();
// Destroys it (if any) and drops every message it left, the quit included.
void DestroyTestMainWindow();
void ShowSavedSettings(int mode, const char* width, const char* height);

// Tests on the main window, which shows saved settings: Key Number, 1920 x 1080.
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateTestMainWindow();
        ShowSavedSettings(2, "1920", "1080");
    }
    void TearDown() override {
        DestroyTestMainWindow();
    }
};

// Under the utility's own loop (RunUtility): posts the message once the main window shows and
// is active (no message box is in front of it).
void PostWhenMainWindowShown(UINT message, WPARAM wParam);

// Real keyboard input through the platform's input queue, then the thread's messages routed as
// the utility's own loop routes them.
void PressKey(WORD key, bool control = false, bool shift = false);

// A real left click in the middle of the control, then the messages routed.
void ClickControl(HWND control);

std::string WindowText(HWND window);
// A file in the temporary folder, deleted first, or (with a folder) in one the test runner
// prepared as root: a tmpfs that is full or read-only. Empty when that folder was not prepared.
std::string TestPath(const char* name, const char* preparedFolder = nullptr);
std::string FileBytes(const std::string& path);
std::wstring Widened(const std::string& utf8);
int SelectedControlMode(); // -1 for none
void ExpectSettings(int mode, const char* width, const char* height);

// One modal window to answer: its title, the button to press (it must be on the window), and
// for a file dialog the name to enter first.
struct Answer {
    const char* title;
    int button;
    const char* fileName = nullptr; // UTF-8
};
// What the test saw of an answered window.
struct SeenWindow {
    std::string title;
    std::string text; // a message box's text; a file dialog's proposed name
    HWND owner;
    HICON icon; // a message box's icon, null for none
};
// The windows the next steps open, answered in order; any other one fails the test and is
// closed. Expected windows that never came fail the test at the next call and at tear-down.
void ExpectWindows(const std::vector<Answer>& answers);
extern SeenWindow seen[4];
