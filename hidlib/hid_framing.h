// The adapter's report format and the rules that tell its HID collection and its answers apart,
// free of any operating system.
#pragma once

#include "hid_results.h"

// Reports carry report ID 0 and six bytes; the system counts the ID byte in their length.
enum : int {
    kReportPayloadBytes = 6,
    kReportBytes = kReportPayloadBytes + 1,
    kAnswerTimeoutMs = 500, // the longest wait for the adapter's answer to one command
};

// What the system tells about one HID collection.
struct HidCollection {
    unsigned short vendorId;
    unsigned short usagePage;
    unsigned short inputReportBytes; // report-ID byte included
    unsigned short outputReportBytes;
};

// Whether the open's report lengths (without the ID byte) are the adapter's.
bool OpenArgumentsSupported(int outputReportLength, int inputReportLength);

// Whether an interface of this vendor and top-level usage page may be the adapter's.
bool IsAdapterInterface(unsigned short vendorId, unsigned short usagePage, int wantedVendorId);

// Whether the collection is the adapter's: its vendor, a vendor-defined usage page and
// seven-byte reports both ways.
bool IsAdapterCollection(const HidCollection& collection, int vendorId);

// Frames the six command bytes as one output report.
void BuildOutputReport(const unsigned char* command, unsigned char report[kReportBytes]);

// Checks the `length` bytes read as the answer to `command`. Places the six answer bytes in
// `answer` only when they are the answer: a report of another shape or echo leaves it as it was.
int ReadAnswerReport(const unsigned char* report, unsigned long length,
                     const unsigned char* command, unsigned char* answer);
