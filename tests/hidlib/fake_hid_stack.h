// A scripted HID stack behind the library's table of system calls: a few HID interfaces, an
// adapter that answers at once, never, or too briefly, a clock that only the waits advance, and
// a ledger of the handles handed out.
#pragma once

#include "hid_system.h"

// Report lengths as HidP_GetCaps gives them, report-ID byte included.
struct FakeInterface {
    USHORT vendorId, usagePage, inputReportBytes, outputReportBytes;
};

// The adapter answers an output report by repeating it, with the register value in byte 5.
struct FakeAdapter {
    DWORD answerBytes = 7;
    bool silent = false;        // no answer ever arrives
    bool cancelIgnored = false; // CancelIo leaves the read running; closing the adapter ends it
    bool flushFails = false;    // it was pulled out
};

enum : int { kFakeMaxHandles = 256, kFakeRegisterValue = 0x5A };

struct FakeHid {
    FakeInterface interfaces[3] = {{0x3258, 0xFF00, 7, 7}};
    int interfaceCount = 1;
    FakeAdapter adapter;

    // Each handle is the place of its interface's index here (-1 for lists and events); a
    // second close shows as a negative count.
    int handleInterface[kFakeMaxHandles] = {};
    int handlesIssued = 0, handlesOpen = 0;
    unsigned long long waitedMs = 0; // an unbounded wait adds INFINITE
    int lastWriteInterface = -1;
    unsigned char output[7] = {};
    bool readPending = false; // the silent adapter's read
};

extern FakeHid fakeHid;
extern const HidSystemCalls kFakeHidCalls;
