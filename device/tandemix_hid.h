// The contract of Tandemix.dll, the adapter's HID access library: the three calls the utility
// imports by name, and the record they share.
#pragma once

#ifndef WINAPI
#ifdef _WIN32
#define WINAPI __stdcall
#else
#define WINAPI
#endif
#endif

// Caller-owned state of one open-to-close span: five 32-bit words that OpenHidDevice fills and
// the other two calls take. The caller neither prepares nor reads it.
struct alignas(4) DeviceRecord {
    unsigned int words[5];
};
static_assert(sizeof(DeviceRecord) == 20, "DeviceRecord is five 32-bit words");

// The USB contract between the library and the adapter's firmware:
// - The adapter is a USB HID device with vendor ID kAdapterVendorId, the first integer of the
//   open. Its HID interface has a top-level collection on a vendor-defined usage page (0xFF00 to
//   0xFFFF), never a keyboard or mouse collection, which Windows keeps for itself.
// - Its output and input reports carry report ID 0 and six bytes: seven bytes with the ID, the
//   lengths the open's two 6s give without it.
// - Each six-byte command travels as one output report, and the adapter answers it with one
//   input report: bytes 0-3 repeat the command, byte 4 holds the register's value (for a write,
//   the value stored), byte 5 is 0. The library waits at most about 500 ms for the answer.

// The arguments the utility passes to OpenHidDevice.
enum : int {
    kAdapterVendorId = 0x3258,      // the adapter's USB vendor ID
    kAdapterOutputReportLength = 6, // output report length, without the report-ID byte
    kAdapterInputReportLength = 6,  // input report length, without the report-ID byte
};

// Results of OpenHidDevice, of our library and of the simulated adapter; the callers tell the
// user apart an adapter that is missing, one that is in use and one the system keeps from them.
enum OpenResult : int {
    kOpenDone = 0,
    kOpenNoRecord = 1,           // no DeviceRecord to fill
    kOpenUnsupportedReports = 2, // report lengths other than the adapter's six bytes
    kOpenNoFreeSlot = 3,         // kAdapterSlotCount adapters already open
    kOpenNoHidInterfaces = 4,    // the system could not list the HID interfaces
    kOpenNotFound = 5,           // no interface is the adapter
    kOpenNoEvent = 6,            // the system could not give an event or the transfer lock
    kOpenRefused = 7, // an interface is the adapter, but the system would not open it for reading
                      // and writing: another program holds it (on Windows also: access denied)
    kOpenBusy = 8,    // another of our programs is in the middle of a transfer with it
    kOpenDenied = 9,  // an interface is the adapter, but this user may not open its device node
};

// Our programs' transfers never interleave: the library holds a lock of the user's session from
// each open to its close (on Windows this semaphore), and an open waits briefly for it before
// reporting kOpenBusy.
constexpr wchar_t kTransferLockName[] = L"Local\\Tandemix.AdapterTransfer";

// Size of the send and receive areas of one exchange; the command and the answer use bytes 0-5.
enum : int { kExchangeAreaSize = 8 };

extern "C" {

// Opens the adapter. Returns 0 when it is open and `device` serves the exchanges and the close
// that follow; any other value when it is not. After any result `device` may be passed to
// CloseHidDevice.
int WINAPI OpenHidDevice(int vendorId, int outputReportLength, int inputReportLength,
                         DeviceRecord* device);

// One complete exchange: sends the six command bytes send[0..5] and, before returning, places
// the adapter's six-byte answer in receive[0..5]; never writes more than eight bytes there.
// Returns 0 when the answer arrived, non-zero for any failure. Never blocks without bound.
int WINAPI WriteHidDevice(DeviceRecord* device, const unsigned char* send, unsigned char* receive);

// Ends what the open began. Safe after a failed open, on a zeroed record, and twice.
int WINAPI CloseHidDevice(DeviceRecord* device);
}
