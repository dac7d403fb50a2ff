// The scripted HID stack: answers each call from the interface list and the adapter script.
#include "fake_hid_stack.h"

#include <string.h>

FakeHid fakeHid;

namespace {

constexpr int kLockHandle = -2;
constexpr long long kNotFinishing = 1LL << 62;
constexpr NTSTATUS kStatusCancelled = static_cast<NTSTATUS>(0xC0000120);

FakeHandle* Of(HANDLE handle) {
    return static_cast<FakeHandle*>(handle);
}

HANDLE NewHandle(int interfaceIndex, bool canRead = false) {
    ++fakeHid.handlesOpen;
    fakeHid.handles[fakeHid.handlesIssued] = {interfaceIndex, canRead};
    return &fakeHid.handles[fakeHid.handlesIssued++];
}

// The system writes the result into the request's OVERLAPPED and buffer and sets its event,
// whoever uses that memory by then.
void Finish(FakeHandle* handle, NTSTATUS status, const unsigned char* report, DWORD bytes) {
    OVERLAPPED* request = handle->request;
    handle->request = nullptr;
    if (report)
        memcpy(handle->requestBuffer, report, bytes);
    request->Internal = static_cast<ULONG_PTR>(status);
    request->InternalHigh = bytes;
    Of(request->hEvent)->signalled = true;
}

// A request waiting for its answer finishes at the next tick at the earliest once cancelled; one
// cancelled already goes on as it was.
void Cancel(FakeHandle* handle) {
    int delay = fakeHid.adapter.cancelDelayMs;
    if (handle->finishesAtMs == kFakeNever)
        handle->finishesAtMs = delay == kFakeNever ? kNotFinishing : fakeHid.nowMs + delay + 1;
}

// Every handle open for reading gets its own copy: a waiting read takes it, else it queues. Only
// the handles handed out are looked at, which keeps the benchmark's figures the library's.
void Deliver(const FakeArrival& arrival) {
    for (int i = 0; i < fakeHid.handlesIssued; ++i) {
        FakeHandle& handle = fakeHid.handles[i];
        if (handle.canRead && handle.request && handle.finishesAtMs == kFakeNever)
            Finish(&handle, 0, arrival.report, fakeHid.adapter.answerBytes);
        else if (handle.canRead && handle.queued < 8)
            memcpy(handle.queue[handle.queued++], arrival.report, 7);
    }
}

// The adapter's answer to a command: the command with the register value in byte 5.
void Answer(const void* command) {
    int delay = fakeHid.adapter.answerDelayMs;
    FakeArrival arrival = {fakeHid.nowMs + delay, {}};
    memcpy(arrival.report, command, 7);
    arrival.report[5] = kFakeRegisterValue;
    if (delay == 0)
        Deliver(arrival);
    else if (delay != kFakeNever && fakeHid.arrivalCount < kFakeMaxArrivals)
        fakeHid.arrivals[fakeHid.arrivalCount++] = arrival;
}

// The clock moves one millisecond at a time, so each arrival and finish comes at its own tick.
void Tick() {
    ++fakeHid.nowMs;
    for (int i = 0; i < fakeHid.arrivalCount; ++i)
        if (fakeHid.arrivals[i].atMs == fakeHid.nowMs)
            Deliver(fakeHid.arrivals[i]);
    for (FakeHandle& handle : fakeHid.handles)
        if (handle.request && handle.finishesAtMs == fakeHid.nowMs)
            Finish(&handle, kStatusCancelled, nullptr, 0);
}

// A new request resets its event, and must not use memory that an unfinished one still owns.
void StartRequest(FakeHandle* handle, OVERLAPPED* request, void* buffer) {
    for (int i = 0; i < fakeHid.handlesIssued; ++i) {
        const FakeHandle& other = fakeHid.handles[i];
        fakeHid.requestsOnBusyMemory +=
            other.request && (other.request == request || other.requestBuffer == buffer);
    }
    Of(request->hEvent)->signalled = false;
    handle->request = request;
    handle->requestBuffer = static_cast<unsigned char*>(buffer);
    handle->finishesAtMs = kFakeNever;
}

// The error for GetLastError, and the call's result.
template <typename Result = BOOL> Result Fail(DWORD error, Result failed = FALSE) {
    fakeHid.lastError = error;
    return failed;
}

// Closing cancels the request again: one stuck past its cancel may finish only then.
BOOL Close(HANDLE handle) {
    --fakeHid.handlesOpen;
    FakeHandle* closed = Of(handle);
    closed->canRead = false;
    if (closed->finishesAtMs == kNotFinishing && fakeHid.adapter.closeFinishMs != kFakeNever)
        closed->finishesAtMs = fakeHid.nowMs + fakeHid.adapter.closeFinishMs + 1;
    Cancel(closed);
    return TRUE;
}

} // namespace

// Each call as the library makes it; a handle it should not pass fails the test by a crash.
const HidSystemCalls kFakeHidCalls = {
    [](LPGUID guid) NTAPI { *guid = GUID{}; },
    [](const GUID*, PCWSTR, HWND, DWORD) WINAPI -> HDEVINFO { return NewHandle(-1); },
    [](HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD index, PSP_DEVICE_INTERFACE_DATA data)
        WINAPI -> BOOL {
            data->Reserved = index;
            return index < fakeHid.interfaces.size() && fakeHid.interfaces[index].vendorId;
        },
    [](HDEVINFO, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD,
       PDWORD, PSP_DEVINFO_DATA) WINAPI -> BOOL {
        detail->DevicePath[0] = static_cast<WCHAR>(data->Reserved); // the path names the index
        return TRUE;
    },
    [](HDEVINFO list) WINAPI { return Close(list); },
    [](LPCWSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
        WINAPI -> HANDLE {
            bool readWrite = access & GENERIC_WRITE;
            fakeHid.readWriteOpens[path[0]] += readWrite;
            if (readWrite && fakeHid.interfaces[path[0]].refusesReadWrite)
                return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
            return NewHandle(path[0], readWrite);
        },
    [](HANDLE file, PHIDD_ATTRIBUTES attributes) NTAPI -> BOOLEAN {
        attributes->VendorID = fakeHid.interfaces[Of(file)->interfaceIndex].vendorId;
        return TRUE;
    },
    [](HANDLE file, PHIDP_PREPARSED_DATA* preparsed) NTAPI -> BOOLEAN {
        *preparsed = static_cast<PHIDP_PREPARSED_DATA>(NewHandle(Of(file)->interfaceIndex));
        return TRUE;
    },
    [](PHIDP_PREPARSED_DATA preparsed, PHIDP_CAPS caps) NTAPI -> NTSTATUS {
        const FakeInterface& found = fakeHid.interfaces[Of(preparsed)->interfaceIndex];
        caps->UsagePage = found.usagePage;
        caps->InputReportByteLength = found.inputReportBytes;
        caps->OutputReportByteLength = found.outputReportBytes;
        return HIDP_STATUS_SUCCESS;
    },
    [](PHIDP_PREPARSED_DATA preparsed) NTAPI -> BOOLEAN { return Close(preparsed); },
    [](LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCWSTR) WINAPI { return NewHandle(-1); },
    [](HANDLE handle) WINAPI { return Close(handle); },
    // The lock's descriptor as the system takes it: the rights its DACL's first ACE grants.
    [](LPSECURITY_ATTRIBUTES security, LONG, LONG, LPCWSTR, DWORD, DWORD access) WINAPI -> HANDLE {
        fakeHid.lockAccessAsked = access;
        BOOL present, defaulted;
        PACL dacl;
        void* ace;
        if (security &&
            GetSecurityDescriptorDacl(security->lpSecurityDescriptor, &present, &dacl,
                                      &defaulted) &&
            present && dacl && GetAce(dacl, 0, &ace))
            fakeHid.lockAccessGranted = static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask;
        if (fakeHid.lockDenied)
            return Fail<HANDLE>(ERROR_ACCESS_DENIED, nullptr);
        return NewHandle(kLockHandle);
    },
    // Any thread may give the semaphore back.
    [](HANDLE, LONG, LPLONG) WINAPI -> BOOL { return --fakeHid.lockHeld >= 0; },
    // The pin is real, so that a host's FreeLibrary keeps the library's memory.
    [](DWORD flags, LPCWSTR address, HMODULE* module) WINAPI -> BOOL {
        ++fakeHid.pins;
        return GetModuleHandleExW(flags, address, module);
    },
    [](HANDLE file) NTAPI -> BOOLEAN {
        Of(file)->queued = 0; // only what has arrived
        return fakeHid.adapter.flushFails ? Fail(ERROR_DEVICE_NOT_CONNECTED) : TRUE;
    },
    // The HID stack refuses an output report of another length or report ID; a write finishes
    // at once.
    [](HANDLE file, LPCVOID report, DWORD length, LPDWORD, LPOVERLAPPED request) WINAPI -> BOOL {
        StartRequest(Of(file), request, const_cast<void*>(report));
        bool accepted = length == 7 && *static_cast<const unsigned char*>(report) == 0;
        Finish(Of(file), 0, nullptr, accepted ? length : 0);
        if (!accepted)
            return Fail(ERROR_INVALID_PARAMETER);
        Answer(report);
        return TRUE;
    },
    [](HANDLE file, LPVOID buffer, DWORD, LPDWORD, LPOVERLAPPED request) WINAPI -> BOOL {
        FakeHandle* handle = Of(file);
        StartRequest(handle, request, buffer);
        if (!handle->queued)
            return Fail(ERROR_IO_PENDING);
        Finish(handle, 0, handle->queue[0], fakeHid.adapter.answerBytes);
        memmove(handle->queue[0], handle->queue[1], sizeof(handle->queue[0]) * --handle->queued);
        return TRUE;
    },
    []() WINAPI -> DWORD { return fakeHid.lastError; },
    // The lock is free unless held elsewhere; an unbounded wait is cut to a minute.
    [](HANDLE handle, DWORD milliseconds) WINAPI -> DWORD {
        if (Of(handle)->interfaceIndex == kLockHandle)
            Of(handle)->signalled = !fakeHid.lockHeldElsewhere && ++fakeHid.lockHeld;
        for (DWORD waited = 0; !Of(handle)->signalled && waited < milliseconds && waited < 60000;
             ++waited)
            Tick();
        return Of(handle)->signalled ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    },
    [](HANDLE file, LPOVERLAPPED request, LPDWORD transferred, BOOL) WINAPI -> BOOL {
        if (Of(file)->request == request)
            return Fail(ERROR_IO_INCOMPLETE);
        *transferred = static_cast<DWORD>(request->InternalHigh);
        return request->Internal == 0;
    },
    [](HANDLE file, LPOVERLAPPED request) WINAPI -> BOOL {
        if (Of(file)->request != request)
            return Fail(ERROR_NOT_FOUND);
        Cancel(Of(file));
        return TRUE;
    },
    []() WINAPI -> ULONGLONG { return static_cast<ULONGLONG>(fakeHid.nowMs); },
};
