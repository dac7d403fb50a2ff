// OpenHidDevice, WriteHidDevice and CloseHidDevice over hidapi. hidraw hands over reports of an
// adapter without numbered reports without their ID byte, so the answer gets its ID 0 back
// before the shared answer check.
#include "hidapi_backend.h"

#include <errno.h>
#include <hidapi/hidapi.h>
#include <string.h>
#include <time.h>

#include "adapter_slots.h"
#include "hid_framing.h"

namespace {

hid_device* openAdapters[kAdapterSlotCount];
char deniedAdapterPath[256];
// Answers that arrived after their exchange gave up; each is dropped before the next command.
constexpr int kMostStaleAnswers = 64;

long long MonotonicMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

void NoteDenied(const char* path) {
    strncpy(deniedAdapterPath, path, sizeof(deniedAdapterPath) - 1);
    deniedAdapterPath[sizeof(deniedAdapterPath) - 1] = '\0';
}

// Opens the first interface that is the adapter; notes one the system refused to open.
hid_device* OpenFirstAdapter(int vendorId, int* result) {
    *result = kOpenNotFound;
    hid_device_info* interfaces = hid_enumerate(static_cast<unsigned short>(vendorId), 0);
    hid_device* adapter = nullptr;
    for (hid_device_info* at = interfaces; at && !adapter; at = at->next) {
        if (!IsAdapterInterface(at->vendor_id, at->usage_page, vendorId))
            continue;
        errno = 0;
        adapter = hid_open_path(at->path);
        if (!adapter && (errno == EACCES || errno == EPERM)) {
            NoteDenied(at->path);
            *result = kOpenResultRefused;
        }
    }
    hid_free_enumeration(interfaces);
    if (adapter)
        *result = kOpenDone;
    return adapter;
}

} // namespace

const char* DeniedAdapterPath() {
    return deniedAdapterPath;
}

extern "C" int OpenHidDevice(int vendorId, int outputReportLength, int inputReportLength,
                             DeviceRecord* device) {
    if (!device)
        return kOpenNoRecord;
    ClearRecord(device);
    deniedAdapterPath[0] = '\0';
    if (!OpenArgumentsSupported(outputReportLength, inputReportLength))
        return kOpenUnsupportedReports;
    if (hid_init() != 0)
        return kOpenNoHidInterfaces;
    int slot = ClaimSlot();
    if (slot == kNoSlot)
        return kOpenNoFreeSlot;
    int result;
    openAdapters[slot] = OpenFirstAdapter(vendorId, &result);
    if (result != kOpenDone) {
        ReleaseSlot(slot);
        return result;
    }
    IssueRecord(slot, device);
    return kOpenDone;
}

extern "C" int WriteHidDevice(DeviceRecord* device, const unsigned char* send,
                              unsigned char* receive) {
    int slot = FindSlot(device);
    if (slot == kNoSlot || !send || !receive)
        return kExchangeNotOpen;
    hid_device* adapter = openAdapters[slot];
    unsigned char report[kReportBytes];
    for (int stale = 0;; ++stale) {
        int length = hid_read_timeout(adapter, report + 1, kReportPayloadBytes, 0);
        if (length < 0)
            return kExchangeFlushFailed;
        if (length == 0)
            break;
        if (stale == kMostStaleAnswers)
            return kExchangeBusy;
    }
    BuildOutputReport(send, report);
    if (hid_write(adapter, report, kReportBytes) != kReportBytes)
        return kExchangeWriteFailed;
    // Answers to another program's commands, or late ones to an earlier command, are passed over.
    long long deadline = MonotonicMs() + kAnswerTimeoutMs;
    for (;;) {
        long long left = deadline - MonotonicMs();
        int length = hid_read_timeout(adapter, report + 1, kReportPayloadBytes,
                                      left > 0 ? static_cast<int>(left) : 0);
        if (length < 0)
            return kExchangeReadFailed;
        if (length == 0)
            return kExchangeTimedOut;
        report[0] = 0;
        int result =
            ReadAnswerReport(report, static_cast<unsigned long>(length) + 1, send, receive);
        if (result != kExchangeWrongEcho)
            return result;
    }
}

extern "C" int CloseHidDevice(DeviceRecord* device) {
    int slot = FindSlot(device);
    if (slot == kNoSlot)
        return kCloseNothingOpen;
    hid_close(openAdapters[slot]);
    openAdapters[slot] = nullptr;
    ReleaseSlot(slot);
    ClearRecord(device);
    return kCloseDone;
}
