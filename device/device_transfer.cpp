// Probe, read and write of the adapter's configuration registers, one exchange per register.
// A failed exchange stops the transfer: a write then never sends the closing commit marker, so
// the adapter is left with an unfinished frame rather than half a configuration.
#include "device_transfer.h"

#include <string.h>

namespace {

int lastOpenResult;

bool OpenAdapter(DeviceRecord* device) {
    lastOpenResult = OpenHidDevice(kAdapterVendorId, kAdapterOutputReportLength,
                                   kAdapterInputReportLength, device);
    return lastOpenResult == 0;
}

bool Exchange(DeviceRecord* device, unsigned char command, unsigned int address,
              unsigned char value, unsigned char* answer) {
    unsigned char send[kExchangeAreaSize] = {kCommandPrefix,
                                             command,
                                             static_cast<unsigned char>((address >> 8) & 0xFF),
                                             static_cast<unsigned char>(address & 0xFF),
                                             value,
                                             0,
                                             0,
                                             0};
    unsigned char receive[kExchangeAreaSize] = {};
    bool answered = WriteHidDevice(device, send, receive) == 0;
    if (answer)
        *answer = receive[4];
    return answered;
}

int ProgressPercent(int registersDone) {
    return registersDone * 100 / kDeviceImageSize;
}

int StopTransfer(DeviceRecord* device, unsigned int address, unsigned int* failedRegister) {
    CloseHidDevice(device);
    if (failedRegister)
        *failedRegister = address;
    return kDeviceExchangeFailed;
}

} // namespace

int ReadDeviceByte(DeviceRecord* device, unsigned int address) {
    unsigned char value = 0;
    if (!Exchange(device, kCommandRead, address, 0, &value))
        return -1;
    return value;
}

bool WriteDeviceByte(DeviceRecord* device, unsigned int address, unsigned char value) {
    return Exchange(device, kCommandWrite, address, value, nullptr);
}

int LastOpenResult() {
    return lastOpenResult;
}

// An adapter that another of our programs is using is there all the same.
int ProbeDevice() {
    DeviceRecord device;
    bool present = OpenAdapter(&device) || lastOpenResult == kOpenResultBusy;
    int result = present ? kDeviceDone : kDeviceNotFound;
    CloseHidDevice(&device);
    return result;
}

int ReadDeviceConfig(unsigned char record[kConfigRecordSize], ProgressOperation progress,
                     unsigned int* failedRegister) {
    DeviceRecord device;
    if (!OpenAdapter(&device))
        return kDeviceNotFound;
    memset(record, 0, kConfigRecordSize);
    for (int n = 0; n < kDeviceImageSize; ++n) {
        int value = ReadDeviceByte(&device, static_cast<unsigned int>(n));
        if (value < 0)
            return StopTransfer(&device, static_cast<unsigned int>(n), failedRegister);
        record[n] = static_cast<unsigned char>(value);
        progress(ProgressPercent(n + 1));
    }
    CloseHidDevice(&device);
    return kDeviceDone;
}

int WriteDeviceConfig(const unsigned char record[kConfigRecordSize], ProgressOperation progress,
                      unsigned int* failedRegister) {
    DeviceRecord device;
    if (!OpenAdapter(&device))
        return kDeviceNotFound;
    if (!WriteDeviceByte(&device, kCommitMarkerRegister, kCommitMarkerOpen))
        return StopTransfer(&device, kCommitMarkerRegister, failedRegister);
    for (int n = 0; n < kDeviceImageSize; ++n) {
        if (!WriteDeviceByte(&device, static_cast<unsigned int>(n), record[n]))
            return StopTransfer(&device, static_cast<unsigned int>(n), failedRegister);
        progress(ProgressPercent(n + 1));
    }
    if (!WriteDeviceByte(&device, kCommitMarkerRegister, kCommitMarkerClose))
        return StopTransfer(&device, kCommitMarkerRegister, failedRegister);
    CloseHidDevice(&device);
    return kDeviceDone;
}
