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

// Who may use the transfer lock: the user's own programs at every integrity level, each with the
// rights to wait for it and give it back. Without it, a lock first made by an elevated program
// would carry the administrators' default rights and refuse the user's other programs.
struct LockSecurity {
    SECURITY_ATTRIBUTES attributes;
    SECURITY_DESCRIPTOR descriptor;
    union {
        TOKEN_USER user;
        unsigned char room[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } user;
    alignas(
        DWORD) unsigned char dacl[sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE];
    // A medium label that refuses no write from below: an elevated maker's high label would.
    alignas(DWORD) unsigned char mediumLabel[sizeof(SID)];
    alignas(
        DWORD) unsigned char sacl[sizeof(ACL) + sizeof(SYSTEM_MANDATORY_LABEL_ACE) + sizeof(SID)];
};

constexpr DWORD kLockAccess = SYNCHRONIZE | SEMAPHORE_MODIFY_STATE;

bool CurrentUser(LockSecurity* security) {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD length;
    BOOL read =
        GetTokenInformation(token, TokenUser, &security->user, sizeof(security->user), &length);
    CloseHandle(token);
    return read;
}

bool BuildLockSecurity(LockSecurity* security) {
    ACL* dacl = reinterpret_cast<ACL*>(security->dacl);
    ACL* sacl = reinterpret_cast<ACL*>(security->sacl);
    SID_IDENTIFIER_AUTHORITY labels = SECURITY_MANDATORY_LABEL_AUTHORITY;
    PSID medium = security->mediumLabel;
    if (!CurrentUser(security) || !InitializeAcl(dacl, sizeof(security->dacl), ACL_REVISION) ||
        !AddAccessAllowedAce(dacl, ACL_REVISION, kLockAccess, security->user.user.User.Sid) ||
        !InitializeSid(medium, &labels, 1) ||
        !InitializeAcl(sacl, sizeof(security->sacl), ACL_REVISION))
        return false;
    *GetSidSubAuthority(medium, 0) = SECURITY_MANDATORY_MEDIUM_RID;
    security->attributes = {sizeof(security->attributes), &security->descriptor, FALSE};
    return AddMandatoryAce(sacl, ACL_REVISION, 0, SYSTEM_MANDATORY_LABEL_NO_WRITE_UP, medium) &&
           InitializeSecurityDescriptor(&security->descriptor, SECURITY_DESCRIPTOR_REVISION) &&
           SetSecurityDescriptorDacl(&security->descriptor, TRUE, dacl, FALSE) &&
           SetSecurityDescriptorSacl(&security->descriptor, TRUE, sacl, FALSE);
}

// Waits briefly for another of our programs to end its transfer with the adapter. The lock is a
// semaphore of one, which any thread may give back; a lock that this program may not use (made
// by another user's program) is as good as held.
int TakeTransferLock(int slot) {
    AdapterIo* adapter = &adapters[slot];
    *adapter = AdapterIo{};
    LockSecurity security;
    if (!BuildLockSecurity(&security))
        return kOpenNoEvent;
    adapter->transferLock =
        hidCalls->CreateSemaphoreExW(&security.attributes, 1, 1, kTransferLockName, 0, kLockAccess);
    if (!adapter->transferLock)
        return hidCalls->GetLastError() == ERROR_ACCESS_DENIED ? kOpenBusy : kOpenNoEvent;
    if (hidCalls->WaitForSingleObject(adapter->transferLock, kTransferLockWaitMs) == WAIT_OBJECT_0)
        return kOpenDone;
    hidCalls->CloseHandle(adapter->transferLock);
    adapter->transferLock = nullptr;
    return kOpenBusy;
}

// The semaphore vanishes with its last handle, so one left taken by a program that ended during
// a transfer is made afresh by the next open after the others have let go.
void GiveBackTransferLock(int slot) {
    AdapterIo* adapter = &adapters[slot];
    if (!adapter->transferLock)
        return;
    hidCalls->ReleaseSemaphore(adapter->transferLock, 1, nullptr);
    hidCalls->CloseHandle(adapter->transferLock);
    adapter->transferLock = nullptr;
}

int OpenFirstAdapter(int slot, int vendorId) {
    AdapterIo* adapter = &adapters[slot];
    int result = FindAdapter(*hidCalls, vendorId, &adapter->file);
    if (result != kOpenDone)
        return result;
    adapter->ioDone = hidCalls->CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!adapter->ioDone) {
        hidCalls->CloseHandle(adapter->file);
        return kOpenNoEvent;
    }
    // From here a request may outlive its cancel and write into `adapters` later: the library
    // stays loaded for the rest of the process, as pinning it while it is unloaded is too late.
    HMODULE self;
    hidCalls->GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                     GET_MODULE_HANDLE_EX_FLAG_PIN,
                                 reinterpret_cast<LPCWSTR>(adapters), &self);
    return kOpenDone;
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

// A request still under way has been cancelled already; closing the handle cancels it again, and
// it may finish only then.
bool CloseAdapterIo(int slot) {
    AdapterIo* adapter = &adapters[slot];
    hidCalls->CloseHandle(adapter->file);
    bool ioFinished =
        !adapter->ioInFlight ||
        hidCalls->WaitForSingleObject(adapter->ioDone, kCancelTimeoutMs) == WAIT_OBJECT_0;
    hidCalls->CloseHandle(adapter->ioDone);
    return ioFinished;
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
