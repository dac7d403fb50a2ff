// The HID access library's logic over a table of system calls: finding the adapter, one framed
// exchange, the close, their results and their time limits.
#pragma once

#include "device/tandemix_hid.h"
#include "hidlib/hid_system.h"

// Time limits of one exchange, so that it never blocks without bound.
enum : DWORD {
    kWriteTimeoutMs = 500,  // for the output report to leave
    kAnswerTimeoutMs = 500, // for the adapter's input report to arrive
    kCancelTimeoutMs = 100, // for a cancelled request to finish
};

// Adapters open at the same time (the utility opens one).
enum : int { kAdapterSlotCount = 8 };

enum OpenResult : int {
    kOpenDone = 0,
    kOpenNoRecord = 1,           // no DeviceRecord to fill
    kOpenUnsupportedReports = 2, // report lengths other than the adapter's six bytes
    kOpenNoFreeSlot = 3,         // kAdapterSlotCount adapters already open
    kOpenNoHidInterfaces = 4,    // the system could not list the HID interfaces
    kOpenNotFound = 5,           // no interface is the adapter
    kOpenNoEvent = 6,            // the system could not give an event for the exchanges
};

enum ExchangeResult : int {
    kExchangeDone = 0,
    kExchangeNotOpen = 1,         // the record holds no open adapter, or an area is missing
    kExchangeBusy = 2,            // a cancelled request of an earlier exchange is still running
    kExchangeFlushFailed = 3,     // the adapter's input queue could not be emptied: it is gone
    kExchangeWriteFailed = 4,     // the output report was refused
    kExchangeWriteTimedOut = 5,   // the output report did not leave in kWriteTimeoutMs
    kExchangeReadFailed = 6,      // the input report could not be read
    kExchangeTimedOut = 7,        // no answer in kAnswerTimeoutMs
    kExchangeMalformedAnswer = 8, // an answer of the wrong length or report ID
    kExchangeWrongEcho = 9,       // answer bytes 0-3 do not repeat the command
};

enum CloseResult : int {
    kCloseDone = 0,
    kCloseNothingOpen = 1, // zeroed, already closed, or from a failed open
};

// Finds the first HID interface that is the adapter and keeps it open in `device`.
int OpenAdapter(const HidSystemCalls& calls, int vendorId, int outputReportLength,
                int inputReportLength, DeviceRecord* device);

// Sends send[0..5] as one output report and places the answer's six bytes in receive[0..5].
int ExchangeWithAdapter(const HidSystemCalls& calls, DeviceRecord* device,
                        const unsigned char* send, unsigned char* receive);

// Closes the adapter, which ends any request under way, and zeroes `device`.
int CloseAdapter(const HidSystemCalls& calls, DeviceRecord* device);
