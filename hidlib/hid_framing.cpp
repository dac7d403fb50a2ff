// The adapter's report format and the rules that tell its collection and its answers apart.
#include "hid_framing.h"

namespace {

constexpr unsigned char kReportId = 0;
constexpr int kEchoBytes = 4;
// Keyboards and mice (usage page 1) belong to the system; the adapter's page is vendor-defined.
constexpr unsigned short kFirstVendorUsagePage = 0xFF00;

} // namespace

bool OpenArgumentsSupported(int outputReportLength, int inputReportLength) {
    return outputReportLength == kReportPayloadBytes && inputReportLength == kReportPayloadBytes;
}

bool IsAdapterInterface(unsigned short vendorId, unsigned short usagePage, int wantedVendorId) {
    return vendorId == wantedVendorId && usagePage >= kFirstVendorUsagePage;
}

bool IsAdapterCollection(const HidCollection& collection, int vendorId) {
    return IsAdapterInterface(collection.vendorId, collection.usagePage, vendorId) &&
           collection.inputReportBytes == kReportBytes &&
           collection.outputReportBytes == kReportBytes;
}

void BuildOutputReport(const unsigned char* command, unsigned char report[kReportBytes]) {
    report[0] = kReportId;
    for (int i = 0; i < kReportPayloadBytes; ++i)
        report[1 + i] = command[i];
}

int ReadAnswerReport(const unsigned char* report, unsigned long length,
                     const unsigned char* command, unsigned char* answer) {
    if (length != kReportBytes || report[0] != kReportId)
        return kExchangeMalformedAnswer;
    // The adapter repeats the command's first four bytes; anything else answers another command.
    for (int i = 0; i < kEchoBytes; ++i)
        if (report[1 + i] != command[i])
            return kExchangeWrongEcho;
    for (int i = 0; i < kReportPayloadBytes; ++i)
        answer[i] = report[1 + i];
    return kExchangeDone;
}
