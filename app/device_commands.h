// Save To Tandemix and Read From Tandemix with their progress window and message pumps.
#pragma once

#include <windows.h>

void SaveToDeviceCommand();
void ReadFromDeviceCommand();

// Creates, shows and paints the modeless progress window (IDD_WRITE_PROGRESS or IDD_READ_PROGRESS).
void OpenProgressWindow(int dialogId);
void ShowWriteProgress(int totalPercent, int dataPercent);
void ShowReadProgress(int totalPercent, int dataPercent);
// Waits at least the given time while dispatching the thread's messages.
void WaitPumpingMessages(DWORD milliseconds);
INT_PTR CALLBACK ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// True from the start of a device command until its result box: other commands wait.
bool DeviceCommandRunning();
// Beeps and returns true while a device command runs: New, Open, Save and a second device
// command would change the window or read it half-way through a transfer.
bool RefusedDuringTransfer();
// A close asked for during a transfer, carried out when the transfer has ended.
void CloseAfterTransfer();
