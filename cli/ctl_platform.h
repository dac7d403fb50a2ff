// What tandemixctl needs from the system beyond the C library.
#pragma once

#include <stdio.h>

#include "config_file.h"
#include "device_transfer.h"

// Writes UTF-8 text on stdout or stderr. A Windows console takes it in UTF-16, so every name
// shows as it was typed; a file or a pipe gets the bytes.
void WriteText(FILE* stream, const char* text);

// A command line has at most 32767 UTF-16 units, none of which takes more than three bytes.
enum : int { kArgumentTextSize = 3 * 32768 };

// The arguments as UTF-8 text, for the parser and the messages: on Windows each one converted
// from UTF-16 into `storage`, of kArgumentTextSize bytes.
void ArgumentsAsText(int argc, PathChar** argv, char** text, char* storage);

// Whether stderr is a terminal, where a progress line is useful.
bool StderrIsTerminal();

// Puts in `text` why no adapter could be opened when the system knows more than that none was
// found; false when it does not.
bool ExplainMissingAdapter(const DeviceOutcome& outcome, char* text, int size);

// From now on Ctrl+C (or SIGINT) no longer ends the program; it is only noted.
void CatchInterrupt();

// Waits `ms` milliseconds (none for 0); false at once, or as soon as, Ctrl+C has been pressed.
bool PauseUnlessInterrupted(int ms);
