// Every message of the one thread goes through RouteMessage: the message loop's and those of
// the pumps that keep the window alive during a transfer.
#pragma once

#include <windows.h>

// Outside a transfer: the accelerators, then the window. During one: the main window's
// dialog keys, then the window, with no accelerators; a quit is kept for the transfer's end.
void RouteMessage(MSG* message);
// Until the quit message; returns its exit code.
int RunMessageLoop();
// Routes what is queued, then returns.
void PumpPendingMessages();
// Waits until at least the given time has passed since the tick count `since` while routing the
// thread's messages.
void WaitPumpingMessages(DWORD milliseconds, DWORD since);
