// The Windows backend over the scripted HID stack: which interface it keeps, how exchanges end
// and within which time, which records it refuses, and that it gives back every handle.
#include <gtest/gtest.h>

#include <string.h>

#include <array>
#include <tuple>

#include "fake_hid_stack.h"
#include "hid_framing.h"
#include "hid_windows.h"

const unsigned char kCommand[kExchangeAreaSize] = {0x02, 0x82, 0x00, 0x10};
constexpr FakeInterface kAdapter = {kAdapterVendorId, 0xFF00, 7, 7};
constexpr FakeInterface kKeyboard = {kAdapterVendorId, 0x0001, 7, 7}; // of the adapter's vendor
static DeviceRecord device;
static unsigned char receive[kExchangeAreaSize];

// What the stack holds, its interfaces, the input length asked for, the result, the interface kept.
const std::tuple<const char*, int, std::array<FakeInterface, 3>, int, int, int> kOpenRows[] = {
    {"no HID devices", 0, {}, 6, kOpenNotFound, -1},
    {"a keyboard collection", 1, {kKeyboard}, 6, kOpenNotFound, -1},
    {"seven-byte input reports asked for", 1, {kAdapter}, 7, kOpenUnsupportedReports, -1},
    {"several interfaces", 3, {kKeyboard, kAdapter, kAdapter}, 6, kOpenDone, 1},
};

TEST(HidBackendTest, OpenKeepsTheFirstAdapterCollectionAndClosesTheRest) {
    for (auto [what, count, interfaces, askedInputLength, result, kept] : kOpenRows) {
        SCOPED_TRACE(what);
        fakeHid = FakeHid{};
        fakeHid.interfaceCount = count;
        memcpy(fakeHid.interfaces, interfaces.data(), sizeof(fakeHid.interfaces));
        EXPECT_EQ(OpenAdapter(kFakeHidCalls, kAdapterVendorId, 6, askedInputLength, &device),
                  result);
        EXPECT_EQ(ExchangeWithAdapter(kFakeHidCalls, &device, kCommand, receive),
                  result == kOpenDone ? kExchangeDone : kExchangeNotOpen);
        EXPECT_EQ(fakeHid.lastWriteInterface, kept);
        CloseAdapter(kFakeHidCalls, &device);
        EXPECT_EQ(fakeHid.handlesOpen, 0);
    }
}

// One after the other on the same open adapter: what the adapter does, and the result.
const std::tuple<const char*, void (*)(FakeAdapter&), int> kExchangeRows[] = {
    {"a prompt answer", [](FakeAdapter&) {}, kExchangeDone},
    {"a short answer", [](FakeAdapter& a) { a.answerBytes = 6; }, kExchangeMalformedAnswer},
    {"a silent adapter", [](FakeAdapter& a) { a.silent = true; }, kExchangeTimedOut},
    {"an answer after the cancelled read", [](FakeAdapter&) {}, kExchangeDone},
    {"the adapter pulled out", [](FakeAdapter& a) { a.flushFails = true; }, kExchangeFlushFailed},
    {"a read that outlives its cancel", [](FakeAdapter& a) { a.silent = a.cancelIgnored = true; },
     kExchangeTimedOut},
    {"the read still running", [](FakeAdapter& a) { a.cancelIgnored = true; }, kExchangeBusy},
};

TEST(HidBackendTest, ExchangesEndInTheirResultsWithinTheTimeLimits) {
    fakeHid = FakeHid{};
    ASSERT_EQ(OpenAdapter(kFakeHidCalls, kAdapterVendorId, 6, 6, &device), kOpenDone);
    for (auto [what, script, result] : kExchangeRows) {
        SCOPED_TRACE(what);
        fakeHid.adapter = FakeAdapter{};
        script(fakeHid.adapter);
        receive[4] = 0;
        EXPECT_EQ(ExchangeWithAdapter(kFakeHidCalls, &device, kCommand, receive), result);
        EXPECT_TRUE(receive[4] == kFakeRegisterValue || result != kExchangeDone);
    }
    EXPECT_LE(fakeHid.waitedMs, 2 * (kAnswerTimeoutMs + kCancelTimeoutMs)) << "two silent reads";
    EXPECT_EQ(CloseAdapter(kFakeHidCalls, &device), kCloseDone);
    EXPECT_EQ(fakeHid.handlesOpen, 0) << "closing the adapter ends the read";
}

TEST(HidBackendTest, OnlyTheRecordOfTheOpenAdapterIsServed) {
    fakeHid = FakeHid{};
    ASSERT_EQ(OpenAdapter(kFakeHidCalls, kAdapterVendorId, 6, 6, &device), kOpenDone);
    DeviceRecord stale = device;
    EXPECT_EQ(CloseAdapter(kFakeHidCalls, &device), kCloseDone);
    EXPECT_EQ(CloseAdapter(kFakeHidCalls, &device), kCloseNothingOpen) << "a second close";
    ASSERT_EQ(OpenAdapter(kFakeHidCalls, kAdapterVendorId, 6, 6, &device), kOpenDone);
    DeviceRecord zeroed = {};
    for (DeviceRecord* refused : {&stale, &zeroed}) {
        EXPECT_EQ(ExchangeWithAdapter(kFakeHidCalls, refused, kCommand, receive), kExchangeNotOpen);
        EXPECT_EQ(CloseAdapter(kFakeHidCalls, refused), kCloseNothingOpen);
    }
    EXPECT_EQ(ExchangeWithAdapter(kFakeHidCalls, &device, kCommand, receive), kExchangeDone);
    EXPECT_EQ(CloseAdapter(kFakeHidCalls, &device), kCloseDone);
    EXPECT_EQ(fakeHid.handlesOpen, 0);
}
