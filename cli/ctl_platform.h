// What tandemixctl needs from the system beyond the C library.
#pragma once

#include "device_transfer.h"

// Whether stderr is a terminal, where a progress line is useful.
bool StderrIsTerminal();

// Puts in `text` why no adapter could be opened when the system knows more than that none was
// found; false when it does not.
bool ExplainMissingAdapter(const DeviceOutcome& outcome, char* text, int size);

// From now on Ctrl+C (or SIGINT) no longer ends the program; it is only noted.
void CatchInterrupt();

// Waits `ms` milliseconds (none for 0); false at once, or as soon as, Ctrl+C has been pressed.
bool PauseUnlessInterrupted(int ms);
