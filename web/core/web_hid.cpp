// OpenHidDevice, WriteHidDevice and CloseHidDevice over WebHID. The page's script (hid.js) holds
// the adapter the user chose and only moves its reports; the report format, the answer check and
// the time-out are the library's own (hid_framing).
#include <emscripten.h>

#include "hid_framing.h"
#include "tandemix_hid.h"

namespace {

constexpr unsigned int kOpenMark = 0x42574854; // marks a record that an open filled
constexpr int kLongestReport = 64;             // any report WebHID may hand over, its ID included
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
EM_ASYNC_JS(int, SendReport, (const unsigned char* report, int length), {
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

int AwaitAnswer(const unsigned char* send, unsigned char* receive) {
    double deadline = emscripten_get_now() + kAnswerTimeoutMs;
    unsigned char report[kLongestReport];
    for (;;) {
        double left = deadline - emscripten_get_now();
        if (left <= 0)
            return kExchangeTimedOut;
        int length = NextInputReport(report, kLongestReport, left);
        if (length == -1)
            return kExchangeTimedOut;
        if (length < 0)
            return kExchangeReadFailed;
        // A late answer to an earlier command is passed over within the time left.
        if (ReadAnswerReport(report, static_cast<unsigned long>(length), send, receive) ==
            kExchangeDone)
            return kExchangeDone;
    }
}

} // namespace

extern "C" {

int OpenHidDevice(int vendorId, int outputReportLength, int inputReportLength,
                  DeviceRecord* device) {
    if (!device)
        return kOpenNoRecord;
    device->words[0] = 0;
    if (vendorId != kAdapterVendorId ||
        !OpenArgumentsSupported(outputReportLength, inputReportLength))
        return kOpenUnsupportedReports;
    int result = OpenChosenAdapter(kOpenResultRefused, kOpenNotFound);
    if (result == kOpenDone)
        device->words[0] = kOpenMark;
    return result;
}

int WriteHidDevice(DeviceRecord* device, const unsigned char* send, unsigned char* receive) {
    if (!device || device->words[0] != kOpenMark || !send || !receive)
        return lastExchange = kExchangeNotOpen;
    unsigned char report[kReportBytes];
    BuildOutputReport(send, report);
    DropInputReports();
    if (!SendReport(report, kReportBytes))
        return lastExchange = kExchangeWriteFailed;
    return lastExchange = AwaitAnswer(send, receive);
}

int CloseHidDevice(DeviceRecord* device) {
    if (!device || device->words[0] != kOpenMark)
        return kCloseNothingOpen;
    device->words[0] = 0;
    CloseChosenAdapter();
    return kCloseDone;
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
