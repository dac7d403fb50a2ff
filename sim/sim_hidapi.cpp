// hidapi's calls that the Linux library backend uses, over the simulated adapter. The system
// seems to hold three HID interfaces: another vendor's on a vendor-defined page, a keyboard of
// the adapter's vendor and the adapter itself; only the adapter answers. Besides the simulator's
// variables (sim_environment.h), TANDEMIX_SIM_DENIED=1 makes the adapter's device node refuse to
// open, as it does without the udev rule.
#include <errno.h>
#include <hidapi/hidapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "sim_environment.h"

struct hid_device_ {
    DeviceRecord record;
    bool isAdapter;
    bool answerWaiting;
    unsigned char answer[kAdapterInputReportLength];
};

namespace {

enum : int { kInterfaceCount = 3, kAdapterInterface = 2 };

struct SimInterface {
    const char* path;
    unsigned short vendorId;
    unsigned short usagePage;
};

const SimInterface kInterfaces[kInterfaceCount] = {
    {"/dev/hidraw0", 0x1234, 0xFF00},
    {"/dev/hidraw1", kAdapterVendorId, 0x0001},
    {"/dev/hidraw2", kAdapterVendorId, 0xFF00},
};

hid_device_info listed[kInterfaceCount];
hid_device devices[kInterfaceCount];
bool configured;

} // namespace

int hid_init() {
    if (!configured)
        ConfigureSimFromEnvironment("TandemixSim.txt");
    configured = true;
    return 0;
}

hid_device_info* hid_enumerate(unsigned short vendorId, unsigned short) {
    if (SimBeforeOpen) // the adapter may have been plugged in or pulled out since
        SimBeforeOpen(SimulatedAdapter());
    hid_device_info* first = nullptr;
    hid_device_info** next = &first;
    for (int i = 0; i < kInterfaceCount; ++i) {
        bool present = i != kAdapterInterface || !SimulatedAdapter()->faults.absent;
        if (!present || (vendorId != 0 && vendorId != kInterfaces[i].vendorId))
            continue;
        listed[i] = hid_device_info();
        listed[i].path = const_cast<char*>(kInterfaces[i].path);
        listed[i].vendor_id = kInterfaces[i].vendorId;
        listed[i].usage_page = kInterfaces[i].usagePage;
        *next = &listed[i];
        next = &listed[i].next;
    }
    return first;
}

void hid_free_enumeration(hid_device_info*) {}

hid_device* hid_open_path(const char* path) {
    for (int i = 0; i < kInterfaceCount; ++i) {
        if (strcmp(path, kInterfaces[i].path) != 0)
            continue;
        hid_device* device = &devices[i];
        *device = hid_device();
        device->isAdapter = i == kAdapterInterface;
        if (!device->isAdapter)
            return device;
        const char* denied = getenv("TANDEMIX_SIM_DENIED");
        if (denied && strcmp(denied, "1") == 0) {
            errno = EACCES;
            return nullptr;
        }
        if (SimLibraryOpen(kAdapterVendorId, kAdapterOutputReportLength, kAdapterInputReportLength,
                           &device->record) == 0)
            return device;
        errno = EIO;
        return nullptr;
    }
    errno = ENOENT;
    return nullptr;
}

// hidraw takes the report ID first: 0, then the six command bytes.
int hid_write(hid_device* device, const unsigned char* data, size_t length) {
    if (!device->isAdapter || length != 1 + kAdapterOutputReportLength || data[0] != 0)
        return -1;
    SimExchangeResult result = SimLibraryExchange(&device->record, data + 1, device->answer);
    if (result == kSimFailed)
        return -1;
    device->answerWaiting = result == kSimAnswered;
    return static_cast<int>(length);
}

int hid_read_timeout(hid_device* device, unsigned char* data, size_t length, int milliseconds) {
    if (milliseconds < 0) {
        fprintf(stderr, "hidapi stand-in: a read without a time limit would hang\n");
        abort();
    }
    if (!device->answerWaiting)
        return 0;
    device->answerWaiting = false;
    size_t given = length < sizeof(device->answer) ? length : sizeof(device->answer);
    memcpy(data, device->answer, given);
    return static_cast<int>(given);
}

void hid_close(hid_device* device) {
    if (device->isAdapter)
        SimLibraryClose(&device->record);
}
