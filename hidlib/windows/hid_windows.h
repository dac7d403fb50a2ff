// The library's open, exchange and close over the system's HID stack, reached through a table of
// its calls: their results and their time limits.
#pragma once

#include "hid_results.h"
#include "hid_system.h"
#include "tandemix_hid.h"

// Time limits of one exchange besides the answer's, so that it never blocks without bound.
enum : DWORD {
    kWriteTimeoutMs = 500,      // for the output report to leave
    kCancelTimeoutMs = 100,     // for a cancelled request to finish
    kTransferLockWaitMs = 2000, // for another of our programs to end its transfer
};

// Finds the first HID interface that is the adapter and keeps it open in `device`, holding the
// transfer lock until the close. A record that is still open is closed first.
int OpenAdapter(const HidSystemCalls& calls, int vendorId, int outputReportLength,
                int inputReportLength, DeviceRecord* device);

// Sends send[0..5] as one output report and places the answer's six bytes in receive[0..5].
int ExchangeWithAdapter(const HidSystemCalls& calls, DeviceRecord* device,
                        const unsigned char* send, unsigned char* receive);

// Closes the adapter, cancelling any request under way, and zeroes `device`. A slot whose
// request does not finish in time is retired rather than reused.
int CloseAdapter(const HidSystemCalls& calls, DeviceRecord* device);

// Closes every adapter still open, as when the library is unloaded.
void CloseAllAdapters(const HidSystemCalls& calls);
