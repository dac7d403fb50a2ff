// Finding the adapter among the system's HID interfaces.
#pragma once

#include "hid_results.h"
#include "hid_system.h"

// Looks at each present HID interface in turn and keeps the first that is the adapter of
// `vendorId` open for overlapped reading and writing in `adapter`. Returns kOpenDone,
// kOpenNoHidInterfaces, kOpenRefused (an adapter was found but could not be opened so) or
// kOpenNotFound.
int FindAdapter(const HidSystemCalls& calls, int vendorId, HANDLE* adapter);
