// The open, exchange and close over any system's table of calls.
#include "adapter_link.h"

#include "adapter_slots.h"

namespace {

// Opens the adapter into the claimed slot; on failure leaves nothing open.
int OpenIntoSlot(const HidBackend& backend, int slot, int vendorId) {
    int result = backend.takeTransferLock(slot);
    if (result != kOpenDone)
        return result;
    result = backend.openFirstAdapter(slot, vendorId);
    if (result != kOpenDone)
        backend.giveBackTransferLock(slot);
    return result;
}

void CloseSlot(const HidBackend& backend, int slot) {
    bool memoryFree = backend.closeAdapter(slot);
    backend.giveBackTransferLock(slot);
    if (memoryFree)
        ReleaseSlot(slot);
    else
        RetireSlot(slot);
}

// Every open handle of the adapter gets its own copy of each input report: answers to other
// programs' commands and late answers to an earlier command of ours are passed over.
int ReceiveAnswer(const HidBackend& backend, int slot, const unsigned char* send,
                  unsigned char* receive) {
    unsigned long long deadline = backend.nowMs() + kAnswerTimeoutMs;
    for (;;) {
        unsigned long long now = backend.nowMs();
        unsigned int left = now < deadline ? static_cast<unsigned int>(deadline - now) : 0;
        unsigned char report[kReportBytes];
        unsigned long length = 0;
        int result = backend.receiveReport(slot, report, &length, left);
        if (result != kExchangeDone)
            return result;
        result = ReadAnswerReport(report, length, send, receive);
        if (result != kExchangeWrongEcho)
            return result;
    }
}

} // namespace

int OpenAdapter(const HidBackend& backend, int vendorId, int outputReportLength,
                int inputReportLength, DeviceRecord* device) {
    if (!device)
        return kOpenNoRecord;
    // A record that is still open is closed first, so that its handles and slot are not lost.
    CloseAdapter(backend, device);
    if (!OpenArgumentsSupported(outputReportLength, inputReportLength))
        return kOpenUnsupportedReports;
    int slot = ClaimSlot();
    if (slot == kNoSlot)
        return kOpenNoFreeSlot;
    int result = OpenIntoSlot(backend, slot, vendorId);
    if (result != kOpenDone) {
        ReleaseSlot(slot);
        return result;
    }
    IssueRecord(slot, device);
    return kOpenDone;
}

int ExchangeWithAdapter(const HidBackend& backend, DeviceRecord* device, const unsigned char* send,
                        unsigned char* receive) {
    int slot = FindSlot(device);
    if (slot == kNoSlot || !send || !receive)
        return kExchangeNotOpen;
    // What arrived before this command cannot be its answer.
    int result = backend.dropStaleReports(slot);
    if (result != kExchangeDone)
        return result;
    unsigned char report[kReportBytes];
    BuildOutputReport(send, report);
    result = backend.sendReport(slot, report);
    if (result != kExchangeDone)
        return result;
    return ReceiveAnswer(backend, slot, send, receive);
}

int CloseAdapter(const HidBackend& backend, DeviceRecord* device) {
    int slot = FindSlot(device);
    if (device)
        ClearRecord(device);
    if (slot == kNoSlot)
        return kCloseNothingOpen;
    CloseSlot(backend, slot);
    return kCloseDone;
}
