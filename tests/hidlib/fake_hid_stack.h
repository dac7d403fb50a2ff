// A scripted HID stack behind the library's table of system calls, as Windows behaves: a few HID
// interfaces, each open handle with its own queue of input reports, overlapped requests that
// finish when an answer arrives or some time after a cancel or a close, a clock that only the
// waits advance, the session's transfer lock, and a ledger of the handles handed out.
#pragma once

#include <array>

#include "hid_system.h"

// Report lengths as HidP_GetCaps gives them, report-ID byte included; the interfaces end at the
// first of vendor 0.
struct FakeInterface {
    USHORT vendorId, usagePage, inputReportBytes, outputReportBytes;
    bool refusesReadWrite; // a keyboard, or an adapter that another program holds
};

enum : int { kFakeNever = -1 };

// The adapter answers each output report by repeating it, with the register value in byte 5,
// `answerDelayMs` after it; each handle of the adapter gets its own copy.
struct FakeAdapter {
    DWORD answerBytes = 7;
    int answerDelayMs = 0;   // kFakeNever: no answer
    int cancelDelayMs = 0;   // for a cancelled or closed request to finish; kFakeNever: not at all
    bool flushFails = false; // it was pulled out
    int closeFinishMs = kFakeNever; // for a request stuck past its cancel once its handle closes
};

enum : int { kFakeMaxHandles = 256, kFakeMaxArrivals = 64, kFakeRegisterValue = 0x5A };

struct FakeHandle {
    int interfaceIndex; // -1 for lists and events, -2 for the lock
    bool canRead;       // open for reading and writing, not yet closed
    unsigned char queue[8][7] = {};
    int queued = 0;
    bool signalled = false; // an event's state
    // The one overlapped read or write under way on this handle.
    OVERLAPPED* request = nullptr;
    unsigned char* requestBuffer = nullptr;
    long long finishesAtMs = 0; // of a cancelled request; kFakeNever while it waits for an answer
};

struct FakeArrival {
    long long atMs;
    unsigned char report[7];
};

struct FakeHid {
    std::array<FakeInterface, 3> interfaces = {{{0x3258, 0xFF00, 7, 7, false}}};
    FakeAdapter adapter;
    // The lock is taken by another program, or was made by one whose rights refuse this one.
    bool lockHeldElsewhere = false, lockDenied = false;

    FakeHandle handles[kFakeMaxHandles] = {};
    FakeArrival arrivals[kFakeMaxArrivals] = {};
    int handlesIssued = 0, handlesOpen = 0, arrivalCount = 0;
    long long nowMs = 0;
    int readWriteOpens[3] = {};
    int lockHeld = 0, pins = 0;
    // GetLastError's, and the rights the lock is asked with and those its DACL's first ACE grants.
    DWORD lastError = 0, lockAccessAsked = 0, lockAccessGranted = 0;
    int requestsOnBusyMemory = 0; // started in an OVERLAPPED or buffer the system still owns
};

extern FakeHid fakeHid;
extern const HidSystemCalls kFakeHidCalls;
