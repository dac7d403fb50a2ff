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
    HANDLE ioDone;       // manual-reset event of the one request under way
    HANDLE transferLock; // held from the open to the close
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

// Cancels the request under way and waits a little for it to finish: until it has, the system
// still owns `io` and `report`.
bool CancelIoWithin(const HidSystemCalls& calls, AdapterIo* adapter, DWORD milliseconds) {
    calls.CancelIoEx(adapter->file, &adapter->io);
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
            CancelIoWithin(calls, adapter, kCancelTimeoutMs);
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

// Every open handle of the adapter gets its own copy of each input report: answers to other
// programs' commands and late answers to an earlier command of ours are passed over.
int ReceiveAnswer(const HidSystemCalls& calls, AdapterIo* adapter, const unsigned char* send,
                  unsigned char* receive) {
    ULONGLONG deadline = calls.GetTickCount64() + kAnswerTimeoutMs;
    for (;;) {
        ULONGLONG now = calls.GetTickCount64();
        DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        DWORD read = 0;
        BOOL completedAtOnce =
            calls.ReadFile(adapter->file, adapter->report, kReportBytes, nullptr, StartIo(adapter));
        IoOutcome outcome = FinishIo(calls, adapter, completedAtOnce, left, &read);
        if (outcome == kIoTimedOut)
            return kExchangeTimedOut;
        if (outcome != kIoDone)
            return kExchangeReadFailed;
        int result = ReadAnswerReport(adapter->report, read, send, receive);
        if (result != kExchangeWrongEcho)
            return result;
    }
}

// Waits briefly for another of our programs to end its transfer with the adapter.
int TakeTransferLock(const HidSystemCalls& calls, AdapterIo* adapter) {
    adapter->transferLock = calls.CreateMutexW(nullptr, FALSE, kTransferLockName);
    if (!adapter->transferLock)
        return kOpenNoEvent;
    DWORD wait = calls.WaitForSingleObject(adapter->transferLock, kTransferLockWaitMs);
    // An abandoned lock was held by a program that ended without closing: it is ours now.
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED)
        return kOpenDone;
    calls.CloseHandle(adapter->transferLock);
    return kOpenResultBusy;
}

void GiveBackTransferLock(const HidSystemCalls& calls, AdapterIo* adapter) {
    calls.ReleaseMutex(adapter->transferLock);
    calls.CloseHandle(adapter->transferLock);
}

// Opens the adapter into the claimed slot; on failure leaves nothing open.
int OpenIntoSlot(const HidSystemCalls& calls, int vendorId, AdapterIo* adapter) {
    int result = TakeTransferLock(calls, adapter);
    if (result != kOpenDone)
        return result;
    result = FindAdapter(calls, vendorId, &adapter->file);
    if (result == kOpenDone) {
        adapter->ioDone = calls.CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (adapter->ioDone)
            return kOpenDone;
        calls.CloseHandle(adapter->file);
        result = kOpenNoEvent;
    }
    GiveBackTransferLock(calls, adapter);
    return result;
}

void CloseSlot(const HidSystemCalls& calls, int slot) {
    AdapterIo* adapter = &adapters[slot];
    bool ioFinished = !adapter->ioInFlight || CancelIoWithin(calls, adapter, kCancelTimeoutMs);
    calls.CloseHandle(adapter->file);
    calls.CloseHandle(adapter->ioDone);
    GiveBackTransferLock(calls, adapter);
    if (ioFinished) {
        ReleaseSlot(slot);
        return;
    }
    // The request may still complete into this slot's memory: never hand it out again, and keep
    // the library loaded so that the memory stays.
    HMODULE self;
    calls.GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                             reinterpret_cast<LPCWSTR>(adapters), &self);
    RetireSlot(slot);
}

} // namespace

int OpenAdapter(const HidSystemCalls& calls, int vendorId, int outputReportLength,
                int inputReportLength, DeviceRecord* device) {
    if (!device)
        return kOpenNoRecord;
    // A record that is still open is closed first, so that its handles and slot are not lost.
    CloseAdapter(calls, device);
    if (!OpenArgumentsSupported(outputReportLength, inputReportLength))
        return kOpenUnsupportedReports;
    int slot = ClaimSlot();
    if (slot == kNoSlot)
        return kOpenNoFreeSlot;
    adapters[slot] = AdapterIo{};
    int result = OpenIntoSlot(calls, vendorId, &adapters[slot]);
    if (result != kOpenDone) {
        ReleaseSlot(slot);
        return result;
    }
    IssueRecord(slot, device);
    return kOpenDone;
}

int ExchangeWithAdapter(const HidSystemCalls& calls, DeviceRecord* device,
                        const unsigned char* send, unsigned char* receive) {
    int slot = FindSlot(device);
    if (slot == kNoSlot || !send || !receive)
        return kExchangeNotOpen;
    AdapterIo* adapter = &adapters[slot];
    if (adapter->ioInFlight && !CancelIoWithin(calls, adapter, kCancelTimeoutMs))
        return kExchangeBusy;
    // What arrived before this command cannot be its answer.
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
    CloseSlot(calls, slot);
    return kCloseDone;
}

void CloseAllAdapters(const HidSystemCalls& calls) {
    for (int slot = 0; slot < kAdapterSlotCount; ++slot)
        if (SlotInUse(slot))
            CloseSlot(calls, slot);
}
