// Runs the utility's real start-up steps inside a test program and answers its modal windows
// from a helper thread, as a user would.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "sim_library.h"

// Start-up steps 2 to 8 with a fresh simulated adapter: the main window exists, laid out and
// reset, not yet shown.
void CreateTestMainWindow();
// Shows it, as start-up does when the probe finds the adapter, and makes it the foreground.
void ShowTestMainWindow();
// Destroys the main window (if any) and drops every message it left, the quit included.
void DestroyTestMainWindow();

// Runs the thread's messages as the utility's own loop does, accelerators included, for a while.
void PumpMessages(int milliseconds);

// Real keyboard and mouse input through the platform's input queue.
void PressKey(WORD key, bool control = false, bool shift = false);
void ClickClientPoint(HWND window, int x, int y);

std::string WindowText(HWND window);
int SelectedControlMode(); // -1 for none
// Puts settings into the controls as if the user had entered them and then saved them.
void ShowSavedSettings(int mode, const char* width, const char* height);
RECT ClientRectOf(HWND control); // the control's rectangle in its parent's client coordinates

// What a helper thread saw of one modal window before it answered it.
struct SeenWindow {
    bool found = false;
    HWND window = nullptr;
    std::string title;
    std::string text; // a message box's text
    HWND owner = nullptr;
    bool ownerWasVisible = false;
    HICON icon = nullptr;  // a message box's icon, null for none
    bool buttons[12] = {}; // which of IDOK ... IDCONTINUE the box offers
    std::string fileName;  // a file dialog's proposed name
    DWORD exStyle = 0;
    DWORD style = 0;
};

// How the helper thread answers a window: a message box button, a file dialog's name and OK,
// or a key posted to the dialog's focused control.
struct Answer {
    const char* title;    // window title to wait for
    int button;           // message box / dialog button to press (IDOK, IDCANCEL, IDYES ...)
    const char* fileName; // for a file dialog: name to enter before OK (null: press button)
    WPARAM key;           // when non-zero: post this key to the focused control instead
    int timeoutMs;
};

// Answers up to four windows in order on a helper thread; Finish() waits for it.
class ModalAnswerer {
  public:
    explicit ModalAnswerer(const Answer* answers, int count);
    ~ModalAnswerer();
    void Finish();
    SeenWindow seen[4];
    int answered() const {
        return answeredCount.load();
    }

  private:
    void Run(const Answer* answers, int count);
    std::atomic<int> answeredCount{0};
    std::thread worker;
    DWORD uiThread;
};

// Finds a visible top-level window of the given class and title that belongs to the thread.
HWND FindThreadWindow(DWORD thread, const char* className, const char* title);
