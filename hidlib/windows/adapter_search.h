// Finding the adapter among the system's HID interfaces.
#pragma once

#include "hid_results.h"
#include "hid_system.h"

// Opens each present HID interface in turn and keeps the first that is the adapter of `vendorId`
// in `adapter`, closing the others. Returns kOpenDone, kOpenNoHidInterfaces or kOpenNotFound.
int FindAdapter(const HidSystemCalls& calls, int vendorId, HANDLE* adapter);
