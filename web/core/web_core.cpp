// What the page asks of the configuration record and of the adapter's transfers: every call into
// config/ and device/ is here. Sizes are taken only inside the adapter's range, as tandemixctl
// make takes them, so a record is never built with the screen's size in place of a typed one.
#include <emscripten.h>

#include "config_record.h"
#include "device_transfer.h"

namespace {

enum : int { kWebVerifyDiffers = 3 }; // after kDeviceExchangeFailed: a register read back differs

const char* const kStageNames[] = {"writing", "verifying", "reading"};
enum Stage : int { kWriting, kVerifying, kReading };

unsigned char record[kConfigRecordSize];   // the record saved or written last, or read
unsigned char fileArea[kConfigRecordSize]; // the first bytes of a file being opened
ConfigSettings shown;                      // the settings to show after an open or a read
Stage stage;
DeviceOutcome outcome;  // of the last transfer
int differingRegisters; // after a verify found a difference

EM_JS(void, ReportProgress, (const char* stageName, int percent),
      { Module.onProgress(UTF8ToString(stageName), percent); });

void ShowProgress(int dataPercent) {
    ReportProgress(kStageNames[stage], dataPercent);
}

// A size box's text as a number the record keeps, or 0 when it holds anything else.
unsigned int KeptSize(bool isWidth, const char* text) {
    unsigned long long size = 0;
    for (const char* at = text; *at; ++at) {
        if (*at < '0' || *at > '9' || at - text >= 10)
            return 0;
        size = size * 10 + static_cast<unsigned int>(*at - '0');
    }
    if (!*text || size > 0xFFFFFFFFull)
        return 0;
    unsigned int entry = static_cast<unsigned int>(size);
    return (isWidth ? ScreenWidthAccepted(entry) : ScreenHeightAccepted(entry)) ? entry : 0;
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int web_control_mode_count() {
    return kControlModeCount;
}

EMSCRIPTEN_KEEPALIVE const char* web_control_mode_name(int index) {
    return kControlModeNames[index];
}

// The sizes a box accepts, both ends included.
EMSCRIPTEN_KEEPALIVE unsigned int web_lowest_size(int isWidth) {
    return isWidth ? kMinScreenWidth : kMinScreenHeight;
}

EMSCRIPTEN_KEEPALIVE unsigned int web_highest_size(int isWidth) {
    return isWidth ? kMaxScreenWidth : kMaxScreenHeight;
}

EMSCRIPTEN_KEEPALIVE int web_size_accepted(int isWidth, const char* text) {
    return KeptSize(isWidth != 0, text) != 0;
}

// Builds the record from the settings: 0, or 1 (width) or 2 (height) for a box it refuses, when
// the record is left as it was. A mode of -1 selects none.
EMSCRIPTEN_KEEPALIVE int web_build_record(int controlMode, const char* width, const char* height) {
    ConfigSettings settings = {controlMode < 0 ? kNoControlMode : controlMode,
                               KeptSize(true, width), KeptSize(false, height)};
    if (!settings.width)
        return 1;
    if (!settings.height)
        return 2;
    EncodeConfigRecord(settings, record);
    return 0;
}

EMSCRIPTEN_KEEPALIVE int web_record_size() {
    return kConfigRecordSize;
}

EMSCRIPTEN_KEEPALIVE unsigned char* web_record() {
    return record;
}

EMSCRIPTEN_KEEPALIVE unsigned char* web_file_area() {
    return fileArea;
}

// Takes the file whose first bytes (at most a record's) are in the file area; refused when it is
// shorter than a record.
EMSCRIPTEN_KEEPALIVE int web_take_file(double fileSize) {
    if (fileSize < kConfigRecordSize)
        return 0;
    shown = DecodeConfigRecord(fileArea);
    return 1;
}

// The settings to show: the Control Mode entry (-1 for none), the two sizes.
EMSCRIPTEN_KEEPALIVE int web_shown_control_mode() {
    return shown.controlMode < kControlModeCount ? shown.controlMode : -1;
}

EMSCRIPTEN_KEEPALIVE unsigned int web_shown_size(int isWidth) {
    return isWidth ? shown.width : shown.height;
}

EMSCRIPTEN_KEEPALIVE int web_image_size() {
    return kDeviceImageSize;
}

// Writes the record built last into the adapter, then reads the registers back and compares
// them. Returns kDeviceDone, kDeviceNotFound, kDeviceExchangeFailed or kWebVerifyDiffers.
EMSCRIPTEN_KEEPALIVE int web_write_and_verify() {
    stage = kWriting;
    differingRegisters = 0;
    outcome = WriteDeviceConfig(record, ShowProgress);
    if (outcome.result != kDeviceDone)
        return outcome.result;
    stage = kVerifying;
    unsigned char readBack[kConfigRecordSize];
    outcome = ReadDeviceConfig(readBack, ShowProgress);
    if (outcome.result != kDeviceDone)
        return outcome.result;
    int first = 0;
    differingRegisters = CountDifferingRegisters(record, readBack, &first);
    outcome.failedRegister = static_cast<unsigned int>(first);
    return differingRegisters ? kWebVerifyDiffers : kDeviceDone;
}

// Reads the adapter's registers into the record and the settings to show.
EMSCRIPTEN_KEEPALIVE int web_read() {
    stage = kReading;
    differingRegisters = 0;
    outcome = ReadDeviceConfig(record, ShowProgress);
    if (outcome.result == kDeviceDone)
        shown = DecodeConfigRecord(record);
    return outcome.result;
}

EMSCRIPTEN_KEEPALIVE const char* web_result_name(int result) {
    switch (result) {
        case kDeviceDone:
            return "done";
        case kDeviceNotFound:
            return outcome.openResult == kOpenRefused ? "refused" : "not-found";
        case kDeviceExchangeFailed:
            return "exchange-failed";
        default:
            return "verify-differs";
    }
}

// After a failure: the transfer under way, the register that failed (for a verify, the first
// that differs) and how many differ.
EMSCRIPTEN_KEEPALIVE const char* web_stage() {
    return kStageNames[stage];
}

EMSCRIPTEN_KEEPALIVE unsigned int web_failed_register() {
    return outcome.failedRegister;
}

EMSCRIPTEN_KEEPALIVE int web_differing_registers() {
    return differingRegisters;
}
}
