// The scripted HID stack: answers each call from the interface list and the adapter script.
#include "fake_hid_stack.h"

#include <string.h>

FakeHid fakeHid;

namespace {

HANDLE NewHandle(int interfaceIndex) {
    ++fakeHid.handlesOpen;
    fakeHid.handleInterface[fakeHid.handlesIssued] = interfaceIndex;
    return &fakeHid.handleInterface[fakeHid.handlesIssued++];
}

int InterfaceIndex(const void* handle) {
    return *static_cast<const int*>(handle);
}

BOOL Close(const void*) {
    --fakeHid.handlesOpen;
    fakeHid.readPending = false; // closing the adapter ends its read
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
            return index < static_cast<DWORD>(fakeHid.interfaceCount);
        },
    [](HDEVINFO, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD,
       PDWORD, PSP_DEVINFO_DATA) WINAPI -> BOOL {
        detail->DevicePath[0] = static_cast<WCHAR>(data->Reserved); // the path names the index
        return TRUE;
    },
    [](HDEVINFO list) WINAPI { return Close(list); },
    [](LPCWSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
        WINAPI { return NewHandle(path[0]); },
    [](HANDLE file, PHIDD_ATTRIBUTES attributes) NTAPI -> BOOLEAN {
        attributes->VendorID = fakeHid.interfaces[InterfaceIndex(file)].vendorId;
        return TRUE;
    },
    [](HANDLE file, PHIDP_PREPARSED_DATA* preparsed) NTAPI -> BOOLEAN {
        *preparsed = static_cast<PHIDP_PREPARSED_DATA>(NewHandle(InterfaceIndex(file)));
        return TRUE;
    },
    [](PHIDP_PREPARSED_DATA preparsed, PHIDP_CAPS caps) NTAPI -> NTSTATUS {
        const FakeInterface& found = fakeHid.interfaces[InterfaceIndex(preparsed)];
        caps->UsagePage = found.usagePage;
        caps->InputReportByteLength = found.inputReportBytes;
        caps->OutputReportByteLength = found.outputReportBytes;
        return HIDP_STATUS_SUCCESS;
    },
    [](PHIDP_PREPARSED_DATA preparsed) NTAPI -> BOOLEAN { return Close(preparsed); },
    [](LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCWSTR) WINAPI { return NewHandle(-1); },
    [](HANDLE handle) WINAPI { return Close(handle); },
    [](HANDLE) NTAPI -> BOOLEAN { return !fakeHid.adapter.flushFails; },
    // The HID stack refuses an output report of another length or report ID.
    [](HANDLE file, LPCVOID report, DWORD length, LPDWORD, LPOVERLAPPED) WINAPI -> BOOL {
        fakeHid.lastWriteInterface = InterfaceIndex(file);
        memcpy(fakeHid.output, report, sizeof(fakeHid.output));
        return length == sizeof(fakeHid.output) && fakeHid.output[0] == 0;
    },
    [](HANDLE, LPVOID report, DWORD, LPDWORD, LPOVERLAPPED) WINAPI -> BOOL {
        memcpy(report, fakeHid.output, sizeof(fakeHid.output));
        static_cast<unsigned char*>(report)[5] = kFakeRegisterValue;
        fakeHid.readPending = fakeHid.adapter.silent;
        return !fakeHid.adapter.silent;
    },
    []() WINAPI -> DWORD { return fakeHid.readPending ? ERROR_IO_PENDING : ERROR_GEN_FAILURE; },
    [](HANDLE, DWORD milliseconds) WINAPI -> DWORD {
        fakeHid.waitedMs += fakeHid.readPending ? milliseconds : 0;
        return fakeHid.readPending ? WAIT_TIMEOUT : WAIT_OBJECT_0;
    },
    [](HANDLE, LPOVERLAPPED, LPDWORD transferred, BOOL) WINAPI -> BOOL {
        *transferred = fakeHid.adapter.answerBytes; // of the read; a write is whole
        return !fakeHid.readPending;
    },
    [](HANDLE) WINAPI -> BOOL {
        fakeHid.readPending = fakeHid.readPending && fakeHid.adapter.cancelIgnored;
        return TRUE;
    },
};
