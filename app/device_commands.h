// Save To Tandemix and Read From Tandemix with their progress window.
#pragma once

#include <windows.h>

// The adapter settles for this long before a transfer and after it; tests may shorten it.
extern DWORD deviceSettleMs;

void SaveToDeviceCommand();
void ReadFromDeviceCommand();

// Creates, shows and paints the modeless progress window (IDD_WRITE_PROGRESS or IDD_READ_PROGRESS).
void OpenProgressWindow(int dialogId);
void ShowWriteProgress(int dataPercent);
void ShowReadProgress(int dataPercent);
INT_PTR CALLBACK ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Beeps and returns true while a device command runs: New, Open, Save and a second device
// command would change the window or read it half-way through a transfer.
bool RefusedDuringTransfer();
