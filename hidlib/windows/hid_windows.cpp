// The library's open, exchange and close over the system's HID stack: each slot's handles and
// its overlapped requests, bounded in time and cancelled when the time is up.
#include "hid_windows.h"

#include "adapter_search.h"
#include "adapter_slots.h"
#include "hid_framing.h"

namespace {

// The system's side of one slot of the table.
struct AdapterIo {
    HANDLE file;
    HANDLE ioDone; // manual-reset event of the one request under way
    OVERLAPPED io;
    bool ioInFlight; // cancelled, but not yet finished
    // In static storage with `io`: the system writes here until a request has finished.
    unsigned char report[kReportBytes];
};

AdapterIo adapters[kAdapterSlotCount];

LPOVERLAPPED StartIo(AdapterIo* adapter) {
    adapter->io = OVERLAPPED{};
    adapter->io.hEvent = adapter->ioDone;
    return &adapter->io;
}

// After a cancel the system still owns `io` and `report` until the request finishes.
bool IoFinishedWithin(const HidSystemCalls& calls, AdapterIo* adapter, DWORD milliseconds) {
    adapter->ioInFlight = calls.WaitForSingleObject(adapter->ioDone, milliseconds) != WAIT_OBJECT_0;
    return !adapter->ioInFlight;
}

enum IoOutcome { kIoDone, kIoFailed, kIoTimedOut };

// Waits at most `timeoutMs` for the request that ReadFile or WriteFile started, cancelling it
// when the time is up.
IoOutcome FinishIo(const HidSystemCalls& calls, AdapterIo* adapter, BOOL completedAtOnce,
                   DWORD timeoutMs, DWORD* transferred) {
    if (!completedAtOnce) {
        if (calls.GetLastError() != ERROR_IO_PENDING)
            return kIoFailed;
        if (calls.WaitForSingleObject(adapter->ioDone, timeoutMs) != WAIT_OBJECT_0) {
            calls.CancelIo(adapter->file);
            IoFinishedWithin(calls, adapter, kCancelTimeoutMs);
            return kIoTimedOut;
        }
    }
    return calls.GetOverlappedResult(adapter->file, &adapter->io, transferred, FALSE) ? kIoDone
                                                                                      : kIoFailed;
}

int SendCommand(const HidSystemCalls& calls, AdapterIo* adapter, const unsigned char* send) {
    BuildOutputReport(send, adapter->report);
    // The HID stack sends an output report whole or not at all.
    DWORD written = 0;
    BOOL completedAtOnce =
        calls.WriteFile(adapter->file, adapter->report, kReportBytes, nullptr, StartIo(adapter));
    IoOutcome outcome = FinishIo(calls, adapter, completedAtOnce, kWriteTimeoutMs, &written);
    if (outcome == kIoTimedOut)
        return kExchangeWriteTimedOut;
    return outcome == kIoDone ? kExchangeDone : kExchangeWriteFailed;
}

int ReceiveAnswer(const HidSystemCalls& calls, AdapterIo* adapter, const unsigned char* send,
                  unsigned char* receive) {
    DWORD read = 0;
    BOOL completedAtOnce =
        calls.ReadFile(adapter->file, adapter->report, kReportBytes, nullptr, StartIo(adapter));
    IoOutcome outcome = FinishIo(calls, adapter, completedAtOnce, kAnswerTimeoutMs, &read);
    if (outcome == kIoTimedOut)
        return kExchangeTimedOut;
    if (outcome != kIoDone)
        return kExchangeReadFailed;
    return ReadAnswerReport(adapter->report, read, send, receive);
}

} // namespace

int OpenAdapter(const HidSystemCalls& calls, int vendorId, int outputReportLength,
                int inputReportLength, DeviceRecord* device) {
    if (!device)
        return kOpenNoRecord;
    ClearRecord(device);
    if (!OpenArgumentsSupported(outputReportLength, inputReportLength))
        return kOpenUnsupportedReports;
    int slot = ClaimSlot();
    if (slot == kNoSlot)
        return kOpenNoFreeSlot;
    AdapterIo* adapter = &adapters[slot];
    HANDLE file = INVALID_HANDLE_VALUE;
    int result = FindAdapter(calls, vendorId, &file);
    if (result == kOpenDone) {
        adapter->ioDone = calls.CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!adapter->ioDone) {
            calls.CloseHandle(file);
            result = kOpenNoEvent;
        }
    }
    if (result != kOpenDone) {
        ReleaseSlot(slot);
        return result;
    }
    adapter->file = file;
    IssueRecord(slot, device);
    return kOpenDone;
}

int ExchangeWithAdapter(const HidSystemCalls& calls, DeviceRecord* device,
                        const unsigned char* send, unsigned char* receive) {
    int slot = FindSlot(device);
    if (slot == kNoSlot || !send || !receive)
        return kExchangeNotOpen;
    AdapterIo* adapter = &adapters[slot];
    if (adapter->ioInFlight && !IoFinishedWithin(calls, adapter, 0))
        return kExchangeBusy;
    // A late answer to an earlier command would otherwise be taken for this one's.
    if (!calls.HidD_FlushQueue(adapter->file))
        return kExchangeFlushFailed;
    int result = SendCommand(calls, adapter, send);
    if (result != kExchangeDone)
        return result;
    return ReceiveAnswer(calls, adapter, send, receive);
}

int CloseAdapter(const HidSystemCalls& calls, DeviceRecord* device) {
    int slot = FindSlot(device);
    if (device)
        ClearRecord(device);
    if (slot == kNoSlot)
        return kCloseNothingOpen;
    // Closing the file cancels its requests, also one that an earlier cancel left running.
    AdapterIo* adapter = &adapters[slot];
    calls.CloseHandle(adapter->file);
    calls.CloseHandle(adapter->ioDone);
    adapter->ioInFlight = false;
    ReleaseSlot(slot);
    return kCloseDone;
}
