// Probe, read and write of the adapter's configuration registers, one exchange per register.
// A failed exchange stops the transfer: a write then never sends the closing commit marker, so
// the adapter is left with an unfinished frame rather than half a configuration.
#include "device_transfer.h"

#include <string.h>

namespace {

// Opens the adapter; a failed open is the whole outcome.
bool OpenAdapterInto(DeviceRecord* device, DeviceOutcome* outcome) {
    outcome->openResult = OpenHidDevice(kAdapterVendorId, kAdapterOutputReportLength,
                                        kAdapterInputReportLength, device);
    outcome->result = outcome->openResult == kOpenDone ? kDeviceDone : kDeviceNotFound;
    return outcome->result == kDeviceDone;
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

// The register's byte, or -1 when the exchange failed.
int ReadDeviceByte(DeviceRecord* device, unsigned int address) {
    unsigned char value = 0;
    if (!Exchange(device, kCommandRead, address, 0, &value))
        return -1;
    return value;
}

bool WriteDeviceByte(DeviceRecord* device, unsigned int address, unsigned char value) {
    return Exchange(device, kCommandWrite, address, value, nullptr);
}

int ProgressPercent(int registersDone) {
    return registersDone * 100 / kDeviceImageSize;
}

DeviceOutcome StopTransfer(DeviceRecord* device, DeviceOutcome outcome, unsigned int address) {
    CloseHidDevice(device);
    outcome.result = kDeviceExchangeFailed;
    outcome.failedRegister = address;
    return outcome;
}

} // namespace

bool AdapterInUse(const DeviceOutcome& outcome) {
    return outcome.openResult == kOpenBusy || outcome.openResult == kOpenRefused;
}

// An adapter that another of our programs is using is there all the same.
DeviceOutcome ProbeDevice() {
    DeviceRecord device;
    DeviceOutcome outcome = {};
    if (!OpenAdapterInto(&device, &outcome) && outcome.openResult == kOpenBusy)
        outcome.result = kDeviceDone;
    CloseHidDevice(&device);
    return outcome;
}

DeviceOutcome ReadDeviceConfig(unsigned char record[kConfigRecordSize],
                               ProgressOperation progress) {
    DeviceRecord device;
    DeviceOutcome outcome = {};
    if (!OpenAdapterInto(&device, &outcome))
        return outcome;
    memset(record, 0, kConfigRecordSize);
    for (int n = 0; n < kDeviceImageSize; ++n) {
        int value = ReadDeviceByte(&device, static_cast<unsigned int>(n));
        if (value < 0)
            return StopTransfer(&device, outcome, static_cast<unsigned int>(n));
        record[n] = static_cast<unsigned char>(value);
        progress(ProgressPercent(n + 1));
    }
    CloseHidDevice(&device);
    return outcome;
}

DeviceOutcome WriteDeviceConfig(const unsigned char record[kConfigRecordSize],
                                ProgressOperation progress) {
    DeviceRecord device;
    DeviceOutcome outcome = {};
    if (!OpenAdapterInto(&device, &outcome))
        return outcome;
    if (!WriteDeviceByte(&device, kCommitMarkerRegister, kCommitMarkerOpen))
        return StopTransfer(&device, outcome, kCommitMarkerRegister);
    for (int n = 0; n < kDeviceImageSize; ++n) {
        if (!WriteDeviceByte(&device, static_cast<unsigned int>(n), record[n]))
            return StopTransfer(&device, outcome, static_cast<unsigned int>(n));
        progress(ProgressPercent(n + 1));
    }
    if (!WriteDeviceByte(&device, kCommitMarkerRegister, kCommitMarkerClose))
        return StopTransfer(&device, outcome, kCommitMarkerRegister);
    CloseHidDevice(&device);
    return outcome;
}

int CountDifferingRegisters(const unsigned char written[kConfigRecordSize],
                            const unsigned char readBack[kConfigRecordSize], int* first) {
    int differing = 0;
    for (int n = 0; n < kDeviceImageSize; ++n)
        if (readBack[n] != written[n] && differing++ == 0)
            *first = n;
    return differing;
}
