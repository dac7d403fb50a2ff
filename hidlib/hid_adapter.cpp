// The HID access library's logic: the adapter found among the HID interfaces, six-byte commands
// framed as output reports and answered by input reports, all through a table of system calls.
#include "hidlib/hid_adapter.h"

namespace {

// The adapter's reports carry six bytes after the report-ID byte, which is always 0.
constexpr int kPayloadBytes = 6;
constexpr DWORD kReportBytes = kPayloadBytes + 1;
constexpr unsigned char kReportId = 0;
constexpr int kEchoBytes = 4;
constexpr USHORT kFirstVendorUsagePage = 0xFF00;

// Longest device path accepted, in characters; an interface with a longer one is skipped.
constexpr int kMaxDevicePath = 512;

// What the caller's record holds: a marker, and which slot of which open it refers to. Handles
// are eight bytes in a 64-bit process and the record has five 32-bit words, so they stay here.
constexpr unsigned int kRecordMagic = 0x58444E54; // "TNDX"
enum RecordWord { kWordMagic, kWordSlot, kWordSerial };

enum : long { kSlotFree, kSlotInUse };

struct AdapterSlot {
    long state;
    unsigned int serial; // changes with every open, so a stale record no longer matches
    HANDLE file;
    HANDLE ioDone; // manual-reset event of the one request under way
    OVERLAPPED io;
    bool ioInFlight; // cancelled, but not yet finished
    // In static storage with `io`: the system writes here until a request has finished.
    unsigned char report[kReportBytes];
};

AdapterSlot slots[kAdapterSlotCount];

// Several threads may open adapters; each slot is taken by one of them.
AdapterSlot* ClaimSlot(unsigned int* index) {
    for (int i = 0; i < kAdapterSlotCount; ++i) {
        long expected = kSlotFree;
        if (__atomic_compare_exchange_n(&slots[i].state, &expected, kSlotInUse, false,
                                        __ATOMIC_ACQUIRE, __ATOMIC_RELAXED)) {
            *index = static_cast<unsigned int>(i);
            ++slots[i].serial;
            return &slots[i];
        }
    }
    return nullptr;
}

void ReleaseSlot(AdapterSlot* slot) {
    slot->file = nullptr;
    slot->ioDone = nullptr;
    slot->ioInFlight = false;
    __atomic_store_n(&slot->state, kSlotFree, __ATOMIC_RELEASE);
}

void ClearRecord(DeviceRecord* device) {
    for (unsigned int& word : device->words)
        word = 0;
}

AdapterSlot* FindSlot(const DeviceRecord* device) {
    if (!device || device->words[kWordMagic] != kRecordMagic ||
        device->words[kWordSlot] >= static_cast<unsigned int>(kAdapterSlotCount))
        return nullptr;
    AdapterSlot* slot = &slots[device->words[kWordSlot]];
    if (__atomic_load_n(&slot->state, __ATOMIC_ACQUIRE) != kSlotInUse ||
        slot->serial != device->words[kWordSerial])
        return nullptr;
    return slot;
}

// Keyboards and mice (usage page 1) belong to Windows; the adapter's collection is vendor-defined.
bool IsAdapter(const HidSystemCalls& calls, HANDLE file, int vendorId) {
    HIDD_ATTRIBUTES attributes = {};
    attributes.Size = sizeof(attributes);
    if (!calls.HidD_GetAttributes(file, &attributes) || attributes.VendorID != vendorId)
        return false;
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!calls.HidD_GetPreparsedData(file, &preparsed))
        return false;
    HIDP_CAPS caps = {};
    bool capsRead = calls.HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS;
    calls.HidD_FreePreparsedData(preparsed);
    return capsRead && caps.UsagePage >= kFirstVendorUsagePage &&
           caps.InputReportByteLength == kReportBytes &&
           caps.OutputReportByteLength == kReportBytes;
}

union InterfaceDetail {
    SP_DEVICE_INTERFACE_DETAIL_DATA_W data;
    unsigned char room[sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) + kMaxDevicePath * sizeof(WCHAR)];
};

// Opens each present HID interface in turn and keeps the first that is the adapter.
int FindAdapter(const HidSystemCalls& calls, int vendorId, HANDLE* adapter) {
    GUID hidGuid;
    calls.HidD_GetHidGuid(&hidGuid);
    HDEVINFO interfaces = calls.SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr,
                                                     DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (interfaces == INVALID_HANDLE_VALUE)
        return kOpenNoHidInterfaces;
    int result = kOpenNotFound;
    SP_DEVICE_INTERFACE_DATA interfaceData = {};
    interfaceData.cbSize = sizeof(interfaceData);
    for (DWORD index = 0;
         result == kOpenNotFound &&
         calls.SetupDiEnumDeviceInterfaces(interfaces, nullptr, &hidGuid, index, &interfaceData);
         ++index) {
        InterfaceDetail detail;
        detail.data.cbSize = sizeof(detail.data);
        if (!calls.SetupDiGetDeviceInterfaceDetailW(interfaces, &interfaceData, &detail.data,
                                                    sizeof(detail), nullptr, nullptr))
            continue;
        HANDLE file = calls.CreateFileW(detail.data.DevicePath, GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OVERLAPPED, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        if (IsAdapter(calls, file, vendorId)) {
            *adapter = file;
            result = kOpenDone;
        } else {
            calls.CloseHandle(file);
        }
    }
    calls.SetupDiDestroyDeviceInfoList(interfaces);
    return result;
}

LPOVERLAPPED StartIo(AdapterSlot* slot) {
    slot->io = OVERLAPPED{};
    slot->io.hEvent = slot->ioDone;
    return &slot->io;
}

// After a cancel the system still owns `io` and `report` until the request finishes.
bool IoFinishedWithin(const HidSystemCalls& calls, AdapterSlot* slot, DWORD milliseconds) {
    slot->ioInFlight = calls.WaitForSingleObject(slot->ioDone, milliseconds) != WAIT_OBJECT_0;
    return !slot->ioInFlight;
}

enum IoOutcome { kIoDone, kIoFailed, kIoTimedOut };

// Waits at most `timeoutMs` for the request that ReadFile or WriteFile started, cancelling it
// when the time is up.
IoOutcome FinishIo(const HidSystemCalls& calls, AdapterSlot* slot, BOOL completedAtOnce,
                   DWORD timeoutMs, DWORD* transferred) {
    if (!completedAtOnce) {
        if (calls.GetLastError() != ERROR_IO_PENDING)
            return kIoFailed;
        if (calls.WaitForSingleObject(slot->ioDone, timeoutMs) != WAIT_OBJECT_0) {
            calls.CancelIo(slot->file);
            IoFinishedWithin(calls, slot, kCancelTimeoutMs);
            return kIoTimedOut;
        }
    }
    return calls.GetOverlappedResult(slot->file, &slot->io, transferred, FALSE) ? kIoDone
                                                                                : kIoFailed;
}

int SendCommand(const HidSystemCalls& calls, AdapterSlot* slot, const unsigned char* send) {
    slot->report[0] = kReportId;
    for (int i = 0; i < kPayloadBytes; ++i)
        slot->report[1 + i] = send[i];
    // The HID stack sends an output report whole or not at all.
    DWORD written = 0;
    BOOL completedAtOnce =
        calls.WriteFile(slot->file, slot->report, kReportBytes, nullptr, StartIo(slot));
    IoOutcome outcome = FinishIo(calls, slot, completedAtOnce, kWriteTimeoutMs, &written);
    if (outcome == kIoTimedOut)
        return kExchangeWriteTimedOut;
    return outcome == kIoDone ? kExchangeDone : kExchangeWriteFailed;
}

int ReceiveAnswer(const HidSystemCalls& calls, AdapterSlot* slot, const unsigned char* send,
                  unsigned char* receive) {
    DWORD read = 0;
    BOOL completedAtOnce =
        calls.ReadFile(slot->file, slot->report, kReportBytes, nullptr, StartIo(slot));
    IoOutcome outcome = FinishIo(calls, slot, completedAtOnce, kAnswerTimeoutMs, &read);
    if (outcome == kIoTimedOut)
        return kExchangeTimedOut;
    if (outcome != kIoDone)
        return kExchangeReadFailed;
    if (read != kReportBytes || slot->report[0] != kReportId)
        return kExchangeMalformedAnswer;
    for (int i = 0; i < kPayloadBytes; ++i)
        receive[i] = slot->report[1 + i];
    // The adapter repeats the command's first four bytes; anything else answers another command.
    for (int i = 0; i < kEchoBytes; ++i)
        if (slot->report[1 + i] != send[i])
            return kExchangeWrongEcho;
    return kExchangeDone;
}

} // namespace

int OpenAdapter(const HidSystemCalls& calls, int vendorId, int outputReportLength,
                int inputReportLength, DeviceRecord* device) {
    if (!device)
        return kOpenNoRecord;
    ClearRecord(device);
    if (outputReportLength != kPayloadBytes || inputReportLength != kPayloadBytes)
        return kOpenUnsupportedReports;
    unsigned int index = 0;
    AdapterSlot* slot = ClaimSlot(&index);
    if (!slot)
        return kOpenNoFreeSlot;
    HANDLE file = INVALID_HANDLE_VALUE;
    int result = FindAdapter(calls, vendorId, &file);
    if (result == kOpenDone) {
        slot->ioDone = calls.CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!slot->ioDone) {
            calls.CloseHandle(file);
            result = kOpenNoEvent;
        }
    }
    if (result != kOpenDone) {
        ReleaseSlot(slot);
        return result;
    }
    slot->file = file;
    device->words[kWordMagic] = kRecordMagic;
    device->words[kWordSlot] = index;
    device->words[kWordSerial] = slot->serial;
    return kOpenDone;
}

int ExchangeWithAdapter(const HidSystemCalls& calls, DeviceRecord* device,
                        const unsigned char* send, unsigned char* receive) {
    AdapterSlot* slot = FindSlot(device);
    if (!slot || !send || !receive)
        return kExchangeNotOpen;
    if (slot->ioInFlight && !IoFinishedWithin(calls, slot, 0))
        return kExchangeBusy;
    // A late answer to an earlier command would otherwise be taken for this one's.
    if (!calls.HidD_FlushQueue(slot->file))
        return kExchangeFlushFailed;
    int result = SendCommand(calls, slot, send);
    if (result != kExchangeDone)
        return result;
    return ReceiveAnswer(calls, slot, send, receive);
}

int CloseAdapter(const HidSystemCalls& calls, DeviceRecord* device) {
    AdapterSlot* slot = FindSlot(device);
    if (device)
        ClearRecord(device);
    if (!slot)
        return kCloseNothingOpen;
    // Closing the file cancels its requests, also one that an earlier cancel left running.
    calls.CloseHandle(slot->file);
    calls.CloseHandle(slot->ioDone);
    ReleaseSlot(slot);
    return kCloseDone;
}
