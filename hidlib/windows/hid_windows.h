// The library's open, exchange and close over the system's HID stack, reached through a table of
// its calls: their results and their time limits.
#pragma once

#include "hid_results.h"
#include "hid_system.h"
#include "tandemix_hid.h"

// Time limits of one exchange besides the answer's, so that it never blocks without bound.
enum : DWORD {
    kWriteTimeoutMs = 500,  // for the output report to leave
    kCancelTimeoutMs = 100, // for a cancelled request to finish
};

// Finds the first HID interface that is the adapter and keeps it open in `device`.
int OpenAdapter(const HidSystemCalls& calls, int vendorId, int outputReportLength,
                int inputReportLength, DeviceRecord* device);

// Sends send[0..5] as one output report and places the answer's six bytes in receive[0..5].
int ExchangeWithAdapter(const HidSystemCalls& calls, DeviceRecord* device,
                        const unsigned char* send, unsigned char* receive);

// Closes the adapter, which ends any request under way, and zeroes `device`.
int CloseAdapter(const HidSystemCalls& calls, DeviceRecord* device);
