// The adapter's register protocol: six-byte read and write commands, and the probe and the two
// configuration transfers built on them.
#pragma once

#include "config_record.h"
#include "tandemix_hid.h"

// Results of the device operations.
enum : int {
    kDeviceDone = 0,           // done; for the probe: adapter present
    kDeviceNotFound = 1,       // the open failed
    kDeviceExchangeFailed = 2, // an exchange failed; the adapter was closed
};

enum : unsigned int {
    kCommitMarkerRegister = 511,
    kCommitMarkerOpen = 0x00,  // written before the image: the adapter holds an unfinished frame
    kCommitMarkerClose = 0x48, // written after all 32 image registers
};

enum : unsigned char {
    kCommandPrefix = 0x02,
    kCommandWrite = 0x81,
    kCommandRead = 0x82,
};

// Called after each image register with the percentage of the 32 registers done.
typedef void (*ProgressOperation)(int dataPercent);

// What a device operation did.
struct DeviceOutcome {
    int result;                  // kDeviceDone, kDeviceNotFound or kDeviceExchangeFailed
    int openResult;              // what OpenHidDevice returned: why no adapter was opened
    unsigned int failedRegister; // on kDeviceExchangeFailed: the register whose exchange failed
};

// Whether the open found the adapter but another program has it (kOpenBusy, kOpenRefused).
bool AdapterInUse(const DeviceOutcome& outcome);

// The probe counts an adapter that another of our programs is using as present.
DeviceOutcome ProbeDevice();
DeviceOutcome ReadDeviceConfig(unsigned char record[kConfigRecordSize], ProgressOperation progress);
DeviceOutcome WriteDeviceConfig(const unsigned char record[kConfigRecordSize],
                                ProgressOperation progress);

// After a write and a read back: the image registers that hold another value than was written,
// and the first of them in *first.
int CountDifferingRegisters(const unsigned char written[kConfigRecordSize],
                            const unsigned char readBack[kConfigRecordSize], int* first);
