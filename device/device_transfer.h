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

// The probe counts an adapter that another of our programs is using as present.
int ProbeDevice();
// On kDeviceExchangeFailed the transfers put the register whose exchange failed in
// *failedRegister, when given.
int ReadDeviceConfig(unsigned char record[kConfigRecordSize], ProgressOperation progress,
                     unsigned int* failedRegister = nullptr);
int WriteDeviceConfig(const unsigned char record[kConfigRecordSize], ProgressOperation progress,
                      unsigned int* failedRegister = nullptr);

// What OpenHidDevice returned at the last open of the operations above, by which a caller of a
// failed one tells an adapter in use (kOpenResultBusy, kOpenResultRefused) from a missing one.
int LastOpenResult();

// One register exchange on an open adapter. ReadDeviceByte returns the register's byte, or -1
// when the exchange failed; WriteDeviceByte returns false when it failed.
int ReadDeviceByte(DeviceRecord* device, unsigned int address);
bool WriteDeviceByte(DeviceRecord* device, unsigned int address, unsigned char value);
