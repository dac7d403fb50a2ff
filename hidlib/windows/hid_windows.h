// The library's side of the system's HID stack, reached through a table of its calls: the
// backend of the open, exchange and close, and its time limits.
#pragma once

#include "adapter_link.h"
#include "hid_system.h"

// Time limits of one exchange besides the answer's, so that it never blocks without bound.
enum : DWORD {
    kWriteTimeoutMs = 500,  // for the output report to leave
    kCancelTimeoutMs = 100, // for a cancelled request to finish
};

// The backend over `calls`: Windows itself, or a scripted stack in the tests.
const HidBackend& WindowsHidBackend(const HidSystemCalls& calls);
