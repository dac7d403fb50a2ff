// The library's open, exchange and close, written once over a table of one system's calls: the
// transfer lock, finding the adapter, dropping stale reports, sending a command and waiting for
// the answer that repeats it, all within their time limits.
#pragma once

#include "hid_framing.h"

// How long an open waits for another of our programs to end its transfer before saying busy.
enum : unsigned int { kTransferLockWaitMs = 2000 };

// One system's side of the open adapters; each call is given the slot of the open it serves.
struct HidBackend {
    // Waits briefly for our other programs' transfers: kOpenDone, kOpenBusy or kOpenNoEvent.
    int (*takeTransferLock)(int slot);
    void (*giveBackTransferLock)(int slot);
    // Keeps the first interface that is the adapter of `vendorId` open for exchanges: kOpenDone,
    // kOpenNoHidInterfaces, kOpenNotFound, kOpenRefused, kOpenDenied or kOpenNoEvent.
    int (*openFirstAdapter)(int slot, int vendorId);
    // Drops what arrived before the command: kExchangeDone, kExchangeBusy or kExchangeFlushFailed.
    int (*dropStaleReports)(int slot);
    // kExchangeDone, kExchangeWriteFailed or kExchangeWriteTimedOut.
    int (*sendReport)(int slot, const unsigned char report[kReportBytes]);
    // Waits at most `timeoutMs` for one input report, its ID byte included: kExchangeDone with its
    // length in *length, kExchangeTimedOut or kExchangeReadFailed.
    int (*receiveReport)(int slot, unsigned char report[kReportBytes], unsigned long* length,
                         unsigned int timeoutMs);
    unsigned long long (*nowMs)();
    // Closes what the open made; false when a request may still write into the slot's memory,
    // which is then never handed out again.
    bool (*closeAdapter)(int slot);
};

// Finds the first HID interface that is the adapter and keeps it open in `device`, holding the
// transfer lock until the close. A record that is still open is closed first.
int OpenAdapter(const HidBackend& backend, int vendorId, int outputReportLength,
                int inputReportLength, DeviceRecord* device);

// Sends send[0..5] as one output report and places the answer's six bytes in receive[0..5].
int ExchangeWithAdapter(const HidBackend& backend, DeviceRecord* device, const unsigned char* send,
                        unsigned char* receive);

// Closes the adapter and zeroes `device`.
int CloseAdapter(const HidBackend& backend, DeviceRecord* device);
