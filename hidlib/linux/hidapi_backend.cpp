// OpenHidDevice, WriteHidDevice and CloseHidDevice over hidapi's hidraw backend. hidraw hands
// over reports of an adapter without numbered reports without their ID byte, so each report
// gets its ID 0 back before the shared answer check. The transfer lock is an flock on a file of
// the user's, so that two of our programs never interleave their transfers.
#include <errno.h>
#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include "adapter_link.h"
#include "adapter_slots.h"

namespace {

// Answers that arrived after their exchange gave up; each is dropped before the next command.
constexpr int kMostStaleAnswers = 64;
constexpr unsigned int kTransferLockPollMs = 10;

struct AdapterHandle {
    hid_device* device;
    int transferLock; // the lock file's descriptor while held, else -1
};

AdapterHandle adapters[kAdapterSlotCount];

unsigned long long MonotonicMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<unsigned long long>(now.tv_sec) * 1000ULL +
           static_cast<unsigned long long>(now.tv_nsec / 1000000);
}

// In the user's runtime folder, or in /tmp under a name of the user's own.
void TransferLockPath(char* path, size_t size) {
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/')
        snprintf(path, size, "%s/tandemix-transfer.lock", runtime);
    else
        snprintf(path, size, "/tmp/tandemix-transfer-%u.lock", static_cast<unsigned>(getuid()));
}

// A lock file that this user may not open (another user's in /tmp) counts as a lock held.
int TakeTransferLock(int slot) {
    adapters[slot] = AdapterHandle{nullptr, -1};
    char path[512];
    TransferLockPath(path, sizeof(path));
    int lock = open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock < 0)
        return errno == EACCES || errno == EPERM || errno == ELOOP ? kOpenBusy : kOpenNoEvent;
    timespec pause = {0, kTransferLockPollMs * 1000000L};
    for (unsigned int waited = 0; flock(lock, LOCK_EX | LOCK_NB) != 0;
         waited += kTransferLockPollMs) {
        int error = errno;
        if (error != EWOULDBLOCK || waited >= kTransferLockWaitMs) {
            close(lock);
            return error == EWOULDBLOCK ? kOpenBusy : kOpenNoEvent;
        }
        nanosleep(&pause, nullptr);
    }
    adapters[slot].transferLock = lock;
    return kOpenDone;
}

void GiveBackTransferLock(int slot) {
    if (adapters[slot].transferLock < 0)
        return;
    close(adapters[slot].transferLock); // which releases the flock
    adapters[slot].transferLock = -1;
}

// An adapter whose device node this user may not open (no udev rule) is told apart from none.
int OpenFirstAdapter(int slot, int vendorId) {
    if (hid_init() != 0)
        return kOpenNoHidInterfaces;
    int result = kOpenNotFound;
    hid_device_info* interfaces = hid_enumerate(static_cast<unsigned short>(vendorId), 0);
    for (hid_device_info* at = interfaces; at && result != kOpenDone; at = at->next) {
        if (!IsAdapterInterface(at->vendor_id, at->usage_page, vendorId))
            continue;
        errno = 0;
        adapters[slot].device = hid_open_path(at->path);
        if (adapters[slot].device)
            result = kOpenDone;
        else if (errno == EACCES || errno == EPERM)
            result = kOpenDenied;
    }
    hid_free_enumeration(interfaces);
    return result;
}

int DropStaleReports(int slot) {
    unsigned char report[kReportBytes];
    for (int stale = 0;; ++stale) {
        int length = hid_read_timeout(adapters[slot].device, report, kReportPayloadBytes, 0);
        if (length < 0)
            return kExchangeFlushFailed;
        if (length == 0)
            return kExchangeDone;
        if (stale == kMostStaleAnswers)
            return kExchangeBusy;
    }
}

int SendReport(int slot, const unsigned char report[kReportBytes]) {
    return hid_write(adapters[slot].device, report, kReportBytes) == kReportBytes
               ? kExchangeDone
               : kExchangeWriteFailed;
}

int ReceiveReport(int slot, unsigned char report[kReportBytes], unsigned long* length,
                  unsigned int timeoutMs) {
    int read = hid_read_timeout(adapters[slot].device, report + 1, kReportPayloadBytes,
                                static_cast<int>(timeoutMs));
    if (read < 0)
        return kExchangeReadFailed;
    if (read == 0)
        return kExchangeTimedOut;
    report[0] = 0;
    *length = static_cast<unsigned long>(read) + 1;
    return kExchangeDone;
}

// hidraw's reads and writes are synchronous: nothing outlives the close.
bool CloseAdapterHandle(int slot) {
    hid_close(adapters[slot].device);
    adapters[slot].device = nullptr;
    return true;
}

const HidBackend kHidapiBackend = {
    TakeTransferLock, GiveBackTransferLock, OpenFirstAdapter, DropStaleReports,
    SendReport,       ReceiveReport,        MonotonicMs,      CloseAdapterHandle,
};

} // namespace

extern "C" int OpenHidDevice(int vendorId, int outputReportLength, int inputReportLength,
                             DeviceRecord* device) {
    return OpenAdapter(kHidapiBackend, vendorId, outputReportLength, inputReportLength, device);
}

extern "C" int WriteHidDevice(DeviceRecord* device, const unsigned char* send,
                              unsigned char* receive) {
    return ExchangeWithAdapter(kHidapiBackend, device, send, receive);
}

extern "C" int CloseHidDevice(DeviceRecord* device) {
    return CloseAdapter(kHidapiBackend, device);
}
