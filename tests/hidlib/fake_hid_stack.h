// A scripted HID stack behind the library's system-call table: a list of HID interfaces, an
// adapter that answers (or not) each output report, a clock that only the waits advance, and a
// ledger of every handle handed out.
#pragma once

#include "hid_system.h"

// Handles are never handed out twice, so that a second close of one is always seen.
enum : int { kFakeMaxInterfaces = 12, kFakeMaxHandles = 256 };

struct FakeInterface {
    USHORT vendorId;
    USHORT usagePage;
    USHORT inputReportLength; // as HidP_GetCaps gives them, report-ID byte included
    USHORT outputReportLength;
    bool refusesOpen; // CreateFile fails, as for a collection Windows keeps to itself
};

enum FakeAnswer {
    kFakeAnswerEcho,         // bytes 0-3 repeated, then registerValue and 0
    kFakeAnswerNever,        // no input report ever arrives
    kFakeAnswerWrongEcho,    // echo byte `wrongEchoByte` differs
    kFakeAnswerShort,        // a report two bytes short
    kFakeAnswerWrongReportId // report ID 1
};

// How the adapter behind the first matching interface behaves.
struct FakeAdapterScript {
    FakeAnswer answer;
    int wrongEchoByte;
    unsigned char registerValue;
    DWORD answerDelayMs; // the answer arrives this long after the output report left
    bool answerAtOnce;   // ReadFile completes at once when the answer is already there
    DWORD writeDelayMs;  // a write pends this long (0: completes at once)
    bool writeNeverCompletes;
    bool writeRefused;  // WriteFile fails at once
    bool unplugged;     // every call on an open device fails with ERROR_DEVICE_NOT_CONNECTED
    bool cancelIgnored; // CancelIo leaves the request running; closing the file still ends it
};

enum FakeHandleKind { kFakeUnused, kFakeInterfaceList, kFakeFile, kFakeEvent, kFakePreparsed };

struct FakeRequest {
    bool active;
    bool finished;
    bool isRead;
    bool never;
    DWORD remainingMs;
    OVERLAPPED* overlapped;
    unsigned char* buffer;
    DWORD length;
    DWORD transferred;
    DWORD error;
};

struct FakeHandle {
    FakeHandleKind kind;
    bool open;
    int interfaceIndex;
    bool signalled;      // events
    FakeRequest request; // files: the one request under way
};

struct FakeHidStack {
    FakeInterface interfaces[kFakeMaxInterfaces];
    int interfaceCount;
    bool listingFails;
    bool eventFails;
    FakeAdapterScript adapter;

    // The adapter's input queue: at most one report.
    bool answerQueued;
    unsigned char answer[8];
    DWORD answerLength;
    DWORD answerArrivesInMs;

    FakeHandle handles[kFakeMaxHandles];
    DWORD lastError;
    DWORD elapsedMs; // advanced by the waits only

    // What the library did.
    int interfacesOpened;
    int badOpenArguments; // CreateFile without shared read/write and overlapped I/O
    int badCloses;        // a handle closed twice or never handed out
    int unboundedWaits;   // INFINITE, or GetOverlappedResult waiting for an unfinished request
    int overlappingRequests;
    int flushes;
    int writes;
    int reads;
    int cancels;
    int requestsCancelled;
    int lastWriteInterface;
    unsigned char lastOutputReport[16];
    DWORD lastOutputLength;
};

extern FakeHidStack fakeHid;
extern const HidSystemCalls kFakeHidCalls;

// No interfaces, an adapter that echoes at once, an empty ledger.
void ResetFakeHid();
void AddFakeInterface(FakeInterface hidInterface);
// Puts the script's answer to `command` in the input queue, as if it arrived earlier.
void QueueFakeAnswer(const unsigned char* command);
int FakeHandlesOpen();
// The interface whose file is open, when exactly one is; -1 otherwise.
int FakeOpenFileInterface();

// The adapter's collection, and the two collections Wine itself exposes.
FakeInterface FakeAdapterInterface();
FakeInterface FakeWineKeyboard();
FakeInterface FakeWineMouse();
