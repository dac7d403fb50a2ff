// OpenHidDevice, WriteHidDevice and CloseHidDevice over WebHID: the library's shared open,
// exchange and close over a table of the browser's calls. The page's script (hid.js) holds the
// adapter the user chose and only moves its reports.
#include <emscripten.h>

#include "adapter_link.h"

namespace {

constexpr int kLongestReport = 64; // any report WebHID may hand over, its ID included
int lastExchange = kExchangeDone;

// clang-format off
// Resolves to 0 once the chosen adapter is open, `refused` when the browser may not open it,
// `missing` when none was chosen or it was pulled out.
EM_ASYNC_JS(int, OpenChosenAdapter, (int refused, int missing), {
    const state = await Module.hid.open();
    return state === 'open' ? 0 : state === 'refused' ? refused : missing;
});

EM_ASYNC_JS(void, CloseChosenAdapter, (), { await Module.hid.close(); });

EM_JS(void, DropInputReports, (), { Module.hid.dropInput(); });

// Sends a report (its ID first); false when the browser refused it or the adapter is gone.
EM_ASYNC_JS(int, SendChosenReport, (const unsigned char* report, int length), {
    return await Module.hid.send(HEAPU8.slice(report, report + length)) ? 1 : 0;
});

// Waits up to `waitMs` for the next input report and places up to `size` bytes of it (its ID
// first) at `report`. Returns its full length, -1 when none came in time, -2 when the adapter is
// gone.
EM_ASYNC_JS(int, NextInputReport, (unsigned char* report, int size, double waitMs), {
    const next = await Module.hid.nextInput(waitMs);
    if (next === 'timeout')
        return -1;
    if (next === 'gone')
        return -2;
    HEAPU8.set(next.subarray(0, size), report);
    return next.length;
});
// clang-format on

// The browser lets one page at a time open the device: there is no lock to take.
int TakeNoLock(int) {
    return kOpenDone;
}

void GiveBackNoLock(int) {}

int OpenFirstAdapter(int, int vendorId) {
    if (vendorId != kAdapterVendorId)
        return kOpenNotFound;
    return OpenChosenAdapter(kOpenRefused, kOpenNotFound);
}

int DropStaleReports(int) {
    DropInputReports();
    return kExchangeDone;
}

int SendReport(int, const unsigned char report[kReportBytes]) {
    return SendChosenReport(report, kReportBytes) ? kExchangeDone : kExchangeWriteFailed;
}

// A longer report is cut to what the answer check needs: its length still tells it apart.
int ReceiveReport(int, unsigned char report[kReportBytes], unsigned long* length,
                  unsigned int timeoutMs) {
    if (timeoutMs == 0)
        return kExchangeTimedOut;
    unsigned char whole[kLongestReport];
    int received = NextInputReport(whole, kLongestReport, timeoutMs);
    if (received == -1)
        return kExchangeTimedOut;
    if (received < 0)
        return kExchangeReadFailed;
    for (int i = 0; i < kReportBytes; ++i)
        report[i] = whole[i];
    *length = static_cast<unsigned long>(received);
    return kExchangeDone;
}

unsigned long long NowMs() {
    return static_cast<unsigned long long>(emscripten_get_now());
}

bool CloseChosen(int) {
    CloseChosenAdapter();
    return true;
}

const HidBackend kWebHidBackend = {
    TakeNoLock,    GiveBackNoLock, OpenFirstAdapter, DropStaleReports, SendReport,
    ReceiveReport, NowMs,          CloseChosen,
};

} // namespace

extern "C" {

int OpenHidDevice(int vendorId, int outputReportLength, int inputReportLength,
                  DeviceRecord* device) {
    return OpenAdapter(kWebHidBackend, vendorId, outputReportLength, inputReportLength, device);
}

int WriteHidDevice(DeviceRecord* device, const unsigned char* send, unsigned char* receive) {
    return lastExchange = ExchangeWithAdapter(kWebHidBackend, device, send, receive);
}

int CloseHidDevice(DeviceRecord* device) {
    return CloseAdapter(kWebHidBackend, device);
}

// What the page needs of the library to choose the adapter and to word a failed exchange.
EMSCRIPTEN_KEEPALIVE int web_adapter_vendor_id() {
    return kAdapterVendorId;
}

// Whether the chooser offers interfaces of the adapter's vendor on this usage page.
EMSCRIPTEN_KEEPALIVE int web_is_adapter_usage_page(int usagePage) {
    return IsAdapterInterface(kAdapterVendorId, static_cast<unsigned short>(usagePage),
                              kAdapterVendorId);
}

// Whether a collection with these report lengths (without the ID byte) is the adapter's.
EMSCRIPTEN_KEEPALIVE int web_is_adapter_collection(int vendorId, int usagePage, int inputBytes,
                                                   int outputBytes) {
    HidCollection collection = {
        static_cast<unsigned short>(vendorId), static_cast<unsigned short>(usagePage),
        static_cast<unsigned short>(inputBytes + 1), static_cast<unsigned short>(outputBytes + 1)};
    return IsAdapterCollection(collection, kAdapterVendorId);
}

EMSCRIPTEN_KEEPALIVE int web_answer_timeout_ms() {
    return kAnswerTimeoutMs;
}

EMSCRIPTEN_KEEPALIVE int web_last_exchange_timed_out() {
    return lastExchange == kExchangeTimedOut;
}
}
