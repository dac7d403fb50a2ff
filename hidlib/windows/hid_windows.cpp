// The library's backend over the system's HID stack: each slot's handles and its overlapped
// requests, bounded in time and cancelled when the time is up.
#include "hid_windows.h"

#include "adapter_search.h"
#include "adapter_slots.h"

namespace {

const HidSystemCalls* hidCalls; // the table WindowsHidBackend was last given

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
bool CancelIoWithin(AdapterIo* adapter, DWORD milliseconds) {
    hidCalls->CancelIoEx(adapter->file, &adapter->io);
    adapter->ioInFlight =
        hidCalls->WaitForSingleObject(adapter->ioDone, milliseconds) != WAIT_OBJECT_0;
    return !adapter->ioInFlight;
}

enum IoOutcome { kIoDone, kIoFailed, kIoTimedOut };

// Waits at most `timeoutMs` for the request that ReadFile or WriteFile started, cancelling it
// when the time is up.
IoOutcome FinishIo(AdapterIo* adapter, BOOL completedAtOnce, DWORD timeoutMs, DWORD* transferred) {
    if (!completedAtOnce) {
        if (hidCalls->GetLastError() != ERROR_IO_PENDING)
            return kIoFailed;
        if (hidCalls->WaitForSingleObject(adapter->ioDone, timeoutMs) != WAIT_OBJECT_0) {
            CancelIoWithin(adapter, kCancelTimeoutMs);
            return kIoTimedOut;
        }
    }
    return hidCalls->GetOverlappedResult(adapter->file, &adapter->io, transferred, FALSE)
               ? kIoDone
               : kIoFailed;
}

// Waits briefly for another of our programs to end its transfer with the adapter.
int TakeTransferLock(int slot) {
    AdapterIo* adapter = &adapters[slot];
    *adapter = AdapterIo{};
    adapter->transferLock = hidCalls->CreateMutexW(nullptr, FALSE, kTransferLockName);
    if (!adapter->transferLock)
        return kOpenNoEvent;
    DWORD wait = hidCalls->WaitForSingleObject(adapter->transferLock, kTransferLockWaitMs);
    // An abandoned lock was held by a program that ended without closing: it is ours now.
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED)
        return kOpenDone;
    hidCalls->CloseHandle(adapter->transferLock);
    adapter->transferLock = nullptr;
    return kOpenBusy;
}

void GiveBackTransferLock(int slot) {
    AdapterIo* adapter = &adapters[slot];
    if (!adapter->transferLock)
        return;
    hidCalls->ReleaseMutex(adapter->transferLock);
    hidCalls->CloseHandle(adapter->transferLock);
    adapter->transferLock = nullptr;
}

int OpenFirstAdapter(int slot, int vendorId) {
    AdapterIo* adapter = &adapters[slot];
    int result = FindAdapter(*hidCalls, vendorId, &adapter->file);
    if (result != kOpenDone)
        return result;
    adapter->ioDone = hidCalls->CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (adapter->ioDone)
        return kOpenDone;
    hidCalls->CloseHandle(adapter->file);
    return kOpenNoEvent;
}

int DropStaleReports(int slot) {
    AdapterIo* adapter = &adapters[slot];
    if (adapter->ioInFlight && !CancelIoWithin(adapter, kCancelTimeoutMs))
        return kExchangeBusy;
    return hidCalls->HidD_FlushQueue(adapter->file) ? kExchangeDone : kExchangeFlushFailed;
}

// The HID stack sends an output report whole or not at all.
int SendReport(int slot, const unsigned char report[kReportBytes]) {
    AdapterIo* adapter = &adapters[slot];
    for (int i = 0; i < kReportBytes; ++i)
        adapter->report[i] = report[i];
    DWORD written = 0;
    BOOL completedAtOnce = hidCalls->WriteFile(adapter->file, adapter->report, kReportBytes,
                                               nullptr, StartIo(adapter));
    IoOutcome outcome = FinishIo(adapter, completedAtOnce, kWriteTimeoutMs, &written);
    if (outcome == kIoTimedOut)
        return kExchangeWriteTimedOut;
    return outcome == kIoDone ? kExchangeDone : kExchangeWriteFailed;
}

int ReceiveReport(int slot, unsigned char report[kReportBytes], unsigned long* length,
                  unsigned int timeoutMs) {
    AdapterIo* adapter = &adapters[slot];
    DWORD read = 0;
    BOOL completedAtOnce =
        hidCalls->ReadFile(adapter->file, adapter->report, kReportBytes, nullptr, StartIo(adapter));
    IoOutcome outcome = FinishIo(adapter, completedAtOnce, timeoutMs, &read);
    if (outcome == kIoTimedOut)
        return kExchangeTimedOut;
    if (outcome != kIoDone)
        return kExchangeReadFailed;
    for (int i = 0; i < kReportBytes; ++i)
        report[i] = adapter->report[i];
    *length = read;
    return kExchangeDone;
}

unsigned long long NowMs() {
    return hidCalls->GetTickCount64();
}

bool CloseAdapterIo(int slot) {
    AdapterIo* adapter = &adapters[slot];
    bool ioFinished = !adapter->ioInFlight || CancelIoWithin(adapter, kCancelTimeoutMs);
    hidCalls->CloseHandle(adapter->file);
    hidCalls->CloseHandle(adapter->ioDone);
    if (ioFinished)
        return true;
    // The request may still complete into this slot's memory: keep the library loaded so that
    // the memory stays.
    HMODULE self;
    hidCalls->GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                     GET_MODULE_HANDLE_EX_FLAG_PIN,
                                 reinterpret_cast<LPCWSTR>(adapters), &self);
    return false;
}

const HidBackend kWindowsBackend = {
    TakeTransferLock,
    GiveBackTransferLock,
    OpenFirstAdapter,
    DropStaleReports,
    SendReport,
    ReceiveReport,
    NowMs,
    CloseAdapterIo,
};

} // namespace

const HidBackend& WindowsHidBackend(const HidSystemCalls& calls) {
    hidCalls = &calls;
    return kWindowsBackend;
}
