// The scripted HID stack: each call checks what the library passes as Windows would, and
// answers from the interface list and the adapter script.
#include "fake_hid_stack.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <wchar.h>

FakeHidStack fakeHid;

namespace {

const GUID kHidGuid = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
const wchar_t kPathPrefix[] = L"\\\\?\\hid#fake#";
constexpr uintptr_t kFirstHandleValue = 0x1000;
constexpr USHORT kWineVendorId = 0x845E;

HANDLE HandleValue(int index) {
    return reinterpret_cast<HANDLE>(kFirstHandleValue + 16 * index);
}

FakeHandle* Lookup(const void* handle, FakeHandleKind kind) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if (value < kFirstHandleValue || (value - kFirstHandleValue) % 16 != 0)
        return nullptr;
    uintptr_t index = (value - kFirstHandleValue) / 16;
    if (index >= kFakeMaxHandles)
        return nullptr;
    FakeHandle* entry = &fakeHid.handles[index];
    return entry->open && entry->kind == kind ? entry : nullptr;
}

HANDLE NewHandle(FakeHandleKind kind, int interfaceIndex) {
    for (int i = 0; i < kFakeMaxHandles; ++i) {
        FakeHandle& entry = fakeHid.handles[i];
        if (entry.kind == kFakeUnused) {
            entry.kind = kind;
            entry.open = true;
            entry.interfaceIndex = interfaceIndex;
            return HandleValue(i);
        }
    }
    return nullptr;
}

FakeHandle* EventOf(const OVERLAPPED* overlapped) {
    return overlapped ? Lookup(overlapped->hEvent, kFakeEvent) : nullptr;
}

} // namespace

void QueueFakeAnswer(const unsigned char* command) {
    const FakeAdapterScript& script = fakeHid.adapter;
    if (script.answer == kFakeAnswerNever)
        return;
    unsigned char* answer = fakeHid.answer;
    answer[0] = script.answer == kFakeAnswerWrongReportId ? 1 : 0;
    memcpy(answer + 1, command, 4);
    answer[5] = script.registerValue;
    answer[6] = 0;
    if (script.answer == kFakeAnswerWrongEcho)
        answer[1 + script.wrongEchoByte] ^= 0x40;
    fakeHid.answerLength = script.answer == kFakeAnswerShort ? 5 : 7;
    fakeHid.answerArrivesInMs = script.answerDelayMs;
    fakeHid.answerQueued = true;
}

namespace {

void Finish(FakeHandle* file, DWORD error) {
    FakeRequest& request = file->request;
    request.finished = true;
    request.error = error;
    if (error == ERROR_SUCCESS && request.isRead) {
        DWORD length =
            fakeHid.answerLength < request.length ? fakeHid.answerLength : request.length;
        memcpy(request.buffer, fakeHid.answer, length);
        request.transferred = length;
        fakeHid.answerQueued = false;
    } else if (error == ERROR_SUCCESS) {
        request.transferred = request.length;
        QueueFakeAnswer(request.buffer + 1);
    }
    if (FakeHandle* event = EventOf(request.overlapped))
        event->signalled = true;
}

// Starts a request on `file`; it finishes after `delayMs` of waiting, or never.
BOOL Start(FakeHandle* file, bool isRead, const void* buffer, DWORD length, OVERLAPPED* overlapped,
           DWORD delayMs, bool never, bool atOnce) {
    FakeHandle* event = EventOf(overlapped);
    if (!event) {
        fakeHid.lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    if (file->request.active && !file->request.finished)
        ++fakeHid.overlappingRequests;
    event->signalled = false;
    file->request = FakeRequest{};
    file->request.active = true;
    file->request.isRead = isRead;
    file->request.never = never;
    file->request.remainingMs = delayMs;
    file->request.overlapped = overlapped;
    file->request.buffer = static_cast<unsigned char*>(const_cast<void*>(buffer));
    file->request.length = length;
    if (atOnce && !never && delayMs == 0) {
        Finish(file, ERROR_SUCCESS);
        return TRUE;
    }
    fakeHid.lastError = ERROR_IO_PENDING;
    return FALSE;
}

FakeHandle* FileWaitingOn(const FakeHandle* event) {
    for (FakeHandle& entry : fakeHid.handles)
        if (entry.open && entry.kind == kFakeFile && entry.request.active &&
            EventOf(entry.request.overlapped) == event)
            return &entry;
    return nullptr;
}

FakeHandle* OpenDevice(HANDLE handle) {
    FakeHandle* file = Lookup(handle, kFakeFile);
    if (file && fakeHid.adapter.unplugged) {
        fakeHid.lastError = ERROR_DEVICE_NOT_CONNECTED;
        return nullptr;
    }
    return file;
}

void NTAPI FakeGetHidGuid(LPGUID guid) {
    *guid = kHidGuid;
}

HDEVINFO WINAPI FakeGetClassDevs(const GUID* guid, PCWSTR, HWND, DWORD flags) {
    if (fakeHid.listingFails || memcmp(guid, &kHidGuid, sizeof(GUID)) != 0 ||
        flags != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE))
        return INVALID_HANDLE_VALUE;
    return NewHandle(kFakeInterfaceList, -1);
}

BOOL WINAPI FakeEnumInterfaces(HDEVINFO list, PSP_DEVINFO_DATA, const GUID* guid, DWORD index,
                               PSP_DEVICE_INTERFACE_DATA data) {
    if (!Lookup(list, kFakeInterfaceList) || memcmp(guid, &kHidGuid, sizeof(GUID)) != 0 ||
        data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        fakeHid.lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    if (index >= static_cast<DWORD>(fakeHid.interfaceCount)) {
        fakeHid.lastError = ERROR_NO_MORE_ITEMS;
        return FALSE;
    }
    data->Reserved = index;
    return TRUE;
}

BOOL WINAPI FakeInterfaceDetail(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data,
                                PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size, PDWORD,
                                PSP_DEVINFO_DATA) {
    wchar_t path[64];
    wcscpy(path, kPathPrefix);
    size_t end = wcslen(path);
    if (data->Reserved >= 10)
        path[end++] = static_cast<wchar_t>(L'0' + data->Reserved / 10);
    path[end++] = static_cast<wchar_t>(L'0' + data->Reserved % 10);
    path[end] = 0;
    DWORD needed = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                   (wcslen(path) + 1) * sizeof(wchar_t);
    if (!Lookup(list, kFakeInterfaceList) || !detail ||
        detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) || size < needed) {
        fakeHid.lastError = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    wcscpy(detail->DevicePath, path);
    return TRUE;
}

BOOL WINAPI FakeDestroyList(HDEVINFO list) {
    FakeHandle* entry = Lookup(list, kFakeInterfaceList);
    if (!entry) {
        ++fakeHid.badCloses;
        return FALSE;
    }
    entry->open = false;
    return TRUE;
}

HANDLE WINAPI FakeCreateFile(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                             DWORD disposition, DWORD flags, HANDLE) {
    size_t prefixLength = wcslen(kPathPrefix);
    int index = wcsncmp(path, kPathPrefix, prefixLength) == 0 ? _wtoi(path + prefixLength) : -1;
    if (index < 0 || index >= fakeHid.interfaceCount || fakeHid.interfaces[index].refusesOpen) {
        fakeHid.lastError = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
    }
    if (access != (GENERIC_READ | GENERIC_WRITE) || share != (FILE_SHARE_READ | FILE_SHARE_WRITE) ||
        disposition != OPEN_EXISTING || flags != FILE_FLAG_OVERLAPPED)
        ++fakeHid.badOpenArguments;
    ++fakeHid.interfacesOpened;
    return NewHandle(kFakeFile, index);
}

BOOLEAN NTAPI FakeGetAttributes(HANDLE handle, PHIDD_ATTRIBUTES attributes) {
    FakeHandle* file = Lookup(handle, kFakeFile);
    if (!file || attributes->Size != sizeof(HIDD_ATTRIBUTES))
        return FALSE;
    attributes->VendorID = fakeHid.interfaces[file->interfaceIndex].vendorId;
    return TRUE;
}

BOOLEAN NTAPI FakeGetPreparsedData(HANDLE handle, PHIDP_PREPARSED_DATA* preparsed) {
    FakeHandle* file = Lookup(handle, kFakeFile);
    if (!file)
        return FALSE;
    *preparsed = static_cast<PHIDP_PREPARSED_DATA>(NewHandle(kFakePreparsed, file->interfaceIndex));
    return TRUE;
}

NTSTATUS NTAPI FakeGetCaps(PHIDP_PREPARSED_DATA preparsed, PHIDP_CAPS caps) {
    FakeHandle* entry = Lookup(preparsed, kFakePreparsed);
    if (!entry)
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    const FakeInterface& hidInterface = fakeHid.interfaces[entry->interfaceIndex];
    *caps = HIDP_CAPS{};
    caps->Usage = 1;
    caps->UsagePage = hidInterface.usagePage;
    caps->InputReportByteLength = hidInterface.inputReportLength;
    caps->OutputReportByteLength = hidInterface.outputReportLength;
    return HIDP_STATUS_SUCCESS;
}

BOOLEAN NTAPI FakeFreePreparsedData(PHIDP_PREPARSED_DATA preparsed) {
    FakeHandle* entry = Lookup(preparsed, kFakePreparsed);
    if (!entry) {
        ++fakeHid.badCloses;
        return FALSE;
    }
    entry->open = false;
    return TRUE;
}

HANDLE WINAPI FakeCreateEvent(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL, LPCWSTR) {
    // The library waits on the event more than once per request: it must stay signalled.
    if (fakeHid.eventFails || !manualReset)
        return nullptr;
    return NewHandle(kFakeEvent, -1);
}

BOOL WINAPI FakeCloseHandle(HANDLE handle) {
    FakeHandle* entry = Lookup(handle, kFakeFile);
    if (entry && entry->request.active && !entry->request.finished) {
        ++fakeHid.requestsCancelled;
        Finish(entry, ERROR_OPERATION_ABORTED);
    }
    if (!entry)
        entry = Lookup(handle, kFakeEvent);
    if (!entry) {
        ++fakeHid.badCloses;
        return FALSE;
    }
    entry->open = false;
    return TRUE;
}

BOOLEAN NTAPI FakeFlushQueue(HANDLE handle) {
    if (!OpenDevice(handle))
        return FALSE;
    ++fakeHid.flushes;
    fakeHid.answerQueued = false;
    return TRUE;
}

BOOL WINAPI FakeWriteFile(HANDLE handle, LPCVOID buffer, DWORD length, LPDWORD,
                          LPOVERLAPPED overlapped) {
    FakeHandle* file = OpenDevice(handle);
    if (!file)
        return FALSE;
    ++fakeHid.writes;
    fakeHid.lastWriteInterface = file->interfaceIndex;
    fakeHid.lastOutputLength = length;
    memcpy(fakeHid.lastOutputReport, buffer,
           length < sizeof(fakeHid.lastOutputReport) ? length : sizeof(fakeHid.lastOutputReport));
    const FakeAdapterScript& script = fakeHid.adapter;
    if (script.writeRefused ||
        length != fakeHid.interfaces[file->interfaceIndex].outputReportLength) {
        fakeHid.lastError = ERROR_GEN_FAILURE;
        return FALSE;
    }
    return Start(file, false, buffer, length, overlapped, script.writeDelayMs,
                 script.writeNeverCompletes, true);
}

BOOL WINAPI FakeReadFile(HANDLE handle, LPVOID buffer, DWORD length, LPDWORD,
                         LPOVERLAPPED overlapped) {
    FakeHandle* file = OpenDevice(handle);
    if (!file)
        return FALSE;
    ++fakeHid.reads;
    if (length < fakeHid.interfaces[file->interfaceIndex].inputReportLength) {
        fakeHid.lastError = ERROR_INVALID_USER_BUFFER;
        return FALSE;
    }
    return Start(file, true, buffer, length, overlapped, fakeHid.answerArrivesInMs,
                 !fakeHid.answerQueued, fakeHid.adapter.answerAtOnce);
}

DWORD WINAPI FakeGetLastError() {
    return fakeHid.lastError;
}

DWORD WINAPI FakeWaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    FakeHandle* event = Lookup(handle, kFakeEvent);
    if (!event)
        return WAIT_FAILED;
    if (milliseconds == INFINITE)
        ++fakeHid.unboundedWaits;
    if (event->signalled)
        return WAIT_OBJECT_0;
    FakeHandle* file = FileWaitingOn(event);
    if (file && !file->request.never && file->request.remainingMs <= milliseconds) {
        fakeHid.elapsedMs += file->request.remainingMs;
        Finish(file, ERROR_SUCCESS);
        return WAIT_OBJECT_0;
    }
    if (file)
        file->request.remainingMs -= milliseconds;
    fakeHid.elapsedMs += milliseconds;
    return WAIT_TIMEOUT;
}

BOOL WINAPI FakeGetOverlappedResult(HANDLE handle, LPOVERLAPPED overlapped, LPDWORD transferred,
                                    BOOL wait) {
    FakeHandle* file = Lookup(handle, kFakeFile);
    if (!file || !file->request.active || file->request.overlapped != overlapped) {
        fakeHid.lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    FakeRequest& request = file->request;
    if (!request.finished) {
        if (wait)
            ++fakeHid.unboundedWaits;
        fakeHid.lastError = ERROR_IO_INCOMPLETE;
        return FALSE;
    }
    request.active = false;
    *transferred = request.transferred;
    fakeHid.lastError = request.error;
    return request.error == ERROR_SUCCESS;
}

BOOL WINAPI FakeCancelIo(HANDLE handle) {
    FakeHandle* file = Lookup(handle, kFakeFile);
    if (!file)
        return FALSE;
    ++fakeHid.cancels;
    if (file->request.active && !file->request.finished && !fakeHid.adapter.cancelIgnored) {
        ++fakeHid.requestsCancelled;
        Finish(file, ERROR_OPERATION_ABORTED);
    }
    return TRUE;
}

} // namespace

const HidSystemCalls kFakeHidCalls = {
    FakeGetHidGuid,        FakeGetClassDevs,        FakeEnumInterfaces,
    FakeInterfaceDetail,   FakeDestroyList,         FakeCreateFile,
    FakeGetAttributes,     FakeGetPreparsedData,    FakeGetCaps,
    FakeFreePreparsedData, FakeCreateEvent,         FakeCloseHandle,
    FakeFlushQueue,        FakeWriteFile,           FakeReadFile,
    FakeGetLastError,      FakeWaitForSingleObject, FakeGetOverlappedResult,
    FakeCancelIo,
};

void ResetFakeHid() {
    fakeHid = FakeHidStack{};
    fakeHid.adapter.answerAtOnce = true;
    fakeHid.adapter.registerValue = 0x5A;
    fakeHid.lastWriteInterface = -1;
}

void AddFakeInterface(FakeInterface hidInterface) {
    fakeHid.interfaces[fakeHid.interfaceCount++] = hidInterface;
}

int FakeHandlesOpen() {
    int count = 0;
    for (const FakeHandle& entry : fakeHid.handles)
        count += entry.open ? 1 : 0;
    return count;
}

int FakeOpenFileInterface() {
    int found = -1;
    for (const FakeHandle& entry : fakeHid.handles) {
        if (entry.open && entry.kind == kFakeFile) {
            if (found >= 0)
                return -1;
            found = entry.interfaceIndex;
        }
    }
    return found;
}

FakeInterface FakeAdapterInterface() {
    return {0x3258, 0xFF00, 7, 7, false};
}

FakeInterface FakeWineKeyboard() {
    return {kWineVendorId, 0x01, 9, 2, false};
}

FakeInterface FakeWineMouse() {
    return {kWineVendorId, 0x01, 5, 1, false};
}
