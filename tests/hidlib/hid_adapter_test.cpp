// The HID access library's logic over the scripted HID stack: which interface it keeps, the
// reports it exchanges, its time limits, and that it leaves no handle open.
#include <gtest/gtest.h>

#include <string.h>

#include "adapter_slots.h"
#include "fake_hid_stack.h"
#include "hid_windows.h"

namespace {

const unsigned char kReadRegister16[kExchangeAreaSize] = {0x02, 0x82, 0x00, 0x10,
                                                          0x00, 0x00, 0xAA, 0xBB};
const unsigned char kWriteRegister511[kExchangeAreaSize] = {0x02, 0x81, 0x01, 0xFF, 0x48, 0x00};
constexpr unsigned char kUntouched = 0xEE;

class HidAdapterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakeHid();
        memset(&device, 0x77, sizeof(device));
        memset(receive, kUntouched, sizeof(receive));
    }

    void TearDown() override {
        EXPECT_EQ(FakeHandlesOpen(), 0) << "a handle was left open";
        EXPECT_EQ(fakeHid.badCloses, 0) << "a handle was closed twice or was never open";
        EXPECT_EQ(fakeHid.badOpenArguments, 0);
        EXPECT_EQ(fakeHid.unboundedWaits, 0) << "a wait without a time limit";
        EXPECT_EQ(fakeHid.overlappingRequests, 0);
    }

    int Open() {
        return OpenAdapter(kFakeHidCalls, kAdapterVendorId, kAdapterOutputReportLength,
                           kAdapterInputReportLength, &device);
    }

    int Exchange(const unsigned char* send = kReadRegister16) {
        return ExchangeWithAdapter(kFakeHidCalls, &device, send, receive);
    }

    int Close() {
        return CloseAdapter(kFakeHidCalls, &device);
    }

    void ExpectRecordZero() {
        for (unsigned int word : device.words)
            EXPECT_EQ(word, 0u);
    }

    void ExpectReceiveUntouched() {
        for (unsigned char byte : receive)
            EXPECT_EQ(byte, kUntouched);
    }

    DeviceRecord device;
    unsigned char receive[kExchangeAreaSize];
};

// --- Open: which interface is the adapter ---

TEST_F(HidAdapterTest, NoHidInterfacesMeansNotFound) {
    EXPECT_EQ(Open(), kOpenNotFound);
    ExpectRecordZero();
    EXPECT_EQ(Close(), kCloseNothingOpen);
}

TEST_F(HidAdapterTest, UnlistableInterfacesMeanNoAdapter) {
    fakeHid.listingFails = true;
    AddFakeInterface(FakeAdapterInterface());
    EXPECT_EQ(Open(), kOpenNoHidInterfaces);
    ExpectRecordZero();
}

TEST_F(HidAdapterTest, WineKeyboardAndMouseAreOpenedLookedAtAndClosed) {
    AddFakeInterface(FakeWineKeyboard());
    AddFakeInterface(FakeWineMouse());
    EXPECT_EQ(Open(), kOpenNotFound);
    EXPECT_EQ(fakeHid.interfacesOpened, 2);
    EXPECT_EQ(Close(), kCloseNothingOpen);
}

struct MatchRow {
    const char* what;
    FakeInterface hidInterface;
    bool isAdapter;
};

const MatchRow kMatchRows[] = {
    {"the adapter", {0x3258, 0xFF00, 7, 7, false}, true},
    {"last vendor-defined usage page", {0x3258, 0xFFFF, 7, 7, false}, true},
    {"keyboard collection of the adapter's vendor", {0x3258, 0x0001, 7, 7, false}, false},
    {"usage page just below vendor-defined", {0x3258, 0xFEFF, 7, 7, false}, false},
    {"other vendor", {0x3259, 0xFF00, 7, 7, false}, false},
    {"Wine's vendor", {0x845E, 0xFF00, 7, 7, false}, false},
    {"input length without report ID", {0x3258, 0xFF00, 6, 7, false}, false},
    {"output length without report ID", {0x3258, 0xFF00, 7, 6, false}, false},
    {"longer input reports", {0x3258, 0xFF00, 65, 7, false}, false},
    {"longer output reports", {0x3258, 0xFF00, 7, 8, false}, false},
    {"adapter that refuses to open", {0x3258, 0xFF00, 7, 7, true}, false},
};

TEST_F(HidAdapterTest, KeepsOnlyTheAdapterCollection) {
    for (const MatchRow& row : kMatchRows) {
        SCOPED_TRACE(row.what);
        ResetFakeHid();
        AddFakeInterface(row.hidInterface);
        EXPECT_EQ(Open(), row.isAdapter ? kOpenDone : kOpenNotFound);
        EXPECT_EQ(FakeHandlesOpen(), row.isAdapter ? 2 : 0) << "the file and its event";
        EXPECT_EQ(Close(), row.isAdapter ? kCloseDone : kCloseNothingOpen);
    }
}

TEST_F(HidAdapterTest, KeepsTheFirstOfSeveralAdaptersAndClosesTheRest) {
    AddFakeInterface(FakeWineKeyboard());
    AddFakeInterface({0x3258, 0x0001, 7, 7, false});
    AddFakeInterface(FakeAdapterInterface());
    AddFakeInterface(FakeAdapterInterface());
    AddFakeInterface(FakeWineMouse());
    ASSERT_EQ(Open(), kOpenDone);
    EXPECT_EQ(FakeOpenFileInterface(), 2);
    ASSERT_EQ(Exchange(), kExchangeDone);
    EXPECT_EQ(fakeHid.lastWriteInterface, 2);
    EXPECT_EQ(Close(), kCloseDone);
}

TEST_F(HidAdapterTest, SkipsAnInterfaceThatRefusesToOpen) {
    AddFakeInterface({0x3258, 0xFF00, 7, 7, true});
    AddFakeInterface(FakeAdapterInterface());
    ASSERT_EQ(Open(), kOpenDone);
    EXPECT_EQ(FakeOpenFileInterface(), 1);
    EXPECT_EQ(Close(), kCloseDone);
}

TEST_F(HidAdapterTest, MatchesTheVendorIdItIsGiven) {
    AddFakeInterface(FakeAdapterInterface());
    AddFakeInterface({0x1234, 0xFF00, 7, 7, false});
    ASSERT_EQ(OpenAdapter(kFakeHidCalls, 0x1234, 6, 6, &device), kOpenDone);
    EXPECT_EQ(FakeOpenFileInterface(), 1);
    EXPECT_EQ(Close(), kCloseDone);
}

TEST_F(HidAdapterTest, RefusesReportLengthsOtherThanSixBeforeLooking) {
    AddFakeInterface({0x3258, 0xFF00, 65, 65, false});
    EXPECT_EQ(OpenAdapter(kFakeHidCalls, kAdapterVendorId, 64, 64, &device),
              kOpenUnsupportedReports);
    EXPECT_EQ(OpenAdapter(kFakeHidCalls, kAdapterVendorId, 6, 7, &device), kOpenUnsupportedReports);
    EXPECT_EQ(fakeHid.interfacesOpened, 0);
    ExpectRecordZero();
}

TEST_F(HidAdapterTest, RefusesAMissingRecord) {
    AddFakeInterface(FakeAdapterInterface());
    EXPECT_EQ(OpenAdapter(kFakeHidCalls, kAdapterVendorId, 6, 6, nullptr), kOpenNoRecord);
    EXPECT_EQ(CloseAdapter(kFakeHidCalls, nullptr), kCloseNothingOpen);
    EXPECT_EQ(ExchangeWithAdapter(kFakeHidCalls, nullptr, kReadRegister16, receive),
              kExchangeNotOpen);
}

TEST_F(HidAdapterTest, ClosesTheAdapterWhenNoEventCanBeHad) {
    fakeHid.eventFails = true;
    AddFakeInterface(FakeAdapterInterface());
    EXPECT_EQ(Open(), kOpenNoEvent);
    ExpectRecordZero();
    EXPECT_EQ(Close(), kCloseNothingOpen);
}

TEST_F(HidAdapterTest, OpensAsManyAdaptersAsItHasSlotsAndNoMore) {
    AddFakeInterface(FakeAdapterInterface());
    DeviceRecord devices[kAdapterSlotCount + 1];
    for (DeviceRecord& each : devices)
        memset(&each, 0x55, sizeof(each));
    for (int i = 0; i < kAdapterSlotCount; ++i)
        ASSERT_EQ(OpenAdapter(kFakeHidCalls, kAdapterVendorId, 6, 6, &devices[i]), kOpenDone);
    int opened = fakeHid.interfacesOpened;
    EXPECT_EQ(OpenAdapter(kFakeHidCalls, kAdapterVendorId, 6, 6, &devices[kAdapterSlotCount]),
              kOpenNoFreeSlot);
    EXPECT_EQ(fakeHid.interfacesOpened, opened) << "looked for an adapter it could not keep";
    for (DeviceRecord& each : devices)
        CloseAdapter(kFakeHidCalls, &each);
}

TEST_F(HidAdapterTest, ReusesSlotsAfterClose) {
    AddFakeInterface(FakeAdapterInterface());
    for (int i = 0; i < 3 * kAdapterSlotCount; ++i) {
        ASSERT_EQ(Open(), kOpenDone) << "open " << i;
        ASSERT_EQ(Close(), kCloseDone);
    }
}

// --- Exchange: framing ---

TEST_F(HidAdapterTest, SendsReportIdZeroAndTheSixCommandBytes) {
    AddFakeInterface(FakeAdapterInterface());
    ASSERT_EQ(Open(), kOpenDone);
    ASSERT_EQ(Exchange(), kExchangeDone);
    const unsigned char expected[] = {0x00, 0x02, 0x82, 0x00, 0x10, 0x00, 0x00};
    ASSERT_EQ(fakeHid.lastOutputLength, sizeof(expected));
    EXPECT_EQ(memcmp(fakeHid.lastOutputReport, expected, sizeof(expected)), 0);
    EXPECT_EQ(Close(), kCloseDone);
}

TEST_F(HidAdapterTest, PlacesTheSixAnswerBytesAndNoMore) {
    AddFakeInterface(FakeAdapterInterface());
    ASSERT_EQ(Open(), kOpenDone);
    ASSERT_EQ(Exchange(), kExchangeDone);
    const unsigned char expected[kExchangeAreaSize] = {0x02, 0x82, 0x00,       0x10,
                                                       0x5A, 0x00, kUntouched, kUntouched};
    EXPECT_EQ(memcmp(receive, expected, sizeof(expected)), 0);
    EXPECT_EQ(Close(), kCloseDone);
}

TEST_F(HidAdapterTest, DropsAStaleAnswerBeforeSending) {
    AddFakeInterface(FakeAdapterInterface());
    ASSERT_EQ(Open(), kOpenDone);
    QueueFakeAnswer(kWriteRegister511);
    EXPECT_EQ(Exchange(kReadRegister16), kExchangeDone);
    EXPECT_EQ(receive[3], 0x10);
    EXPECT_EQ(fakeHid.flushes, 1);
    EXPECT_EQ(Close(), kCloseDone);
}

TEST_F(HidAdapterTest, ChecksThatEachOfTheFirstFourBytesIsRepeated) {
    for (int wrongByte = 0; wrongByte < 4; ++wrongByte) {
        SCOPED_TRACE(wrongByte);
        ResetFakeHid();
        fakeHid.adapter.answer = kFakeAnswerWrongEcho;
        fakeHid.adapter.wrongEchoByte = wrongByte;
        AddFakeInterface(FakeAdapterInterface());
        ASSERT_EQ(Open(), kOpenDone);
        EXPECT_EQ(Exchange(), kExchangeWrongEcho);
        EXPECT_EQ(Close(), kCloseDone);
    }
}

TEST_F(HidAdapterTest, RejectsAnswersOfTheWrongShape) {
    for (FakeAnswer answer : {kFakeAnswerShort, kFakeAnswerWrongReportId}) {
        SCOPED_TRACE(answer);
        ResetFakeHid();
        fakeHid.adapter.answer = answer;
        AddFakeInterface(FakeAdapterInterface());
        ASSERT_EQ(Open(), kOpenDone);
        EXPECT_EQ(Exchange(), kExchangeMalformedAnswer);
        EXPECT_EQ(Close(), kCloseDone);
    }
}

// --- Exchange: time limits ---

struct TimingRow {
    const char* what;
    DWORD writeDelayMs;
    DWORD answerDelayMs;
    int result;
};

const TimingRow kTimingRows[] = {
    {"prompt answer", 0, 0, kExchangeDone},
    {"answer just in time", 0, kAnswerTimeoutMs, kExchangeDone},
    {"slow but in time", 0, 400, kExchangeDone},
    {"answer too late", 0, kAnswerTimeoutMs + 1, kExchangeTimedOut},
    {"slow write", 300, 300, kExchangeDone},
    {"write too slow", kWriteTimeoutMs + 1, 0, kExchangeWriteTimedOut},
};

TEST_F(HidAdapterTest, WaitsBoundedTimesForTheWriteAndTheAnswer) {
    for (const TimingRow& row : kTimingRows) {
        SCOPED_TRACE(row.what);
        ResetFakeHid();
        fakeHid.adapter.writeDelayMs = row.writeDelayMs;
        fakeHid.adapter.answerDelayMs = row.answerDelayMs;
        AddFakeInterface(FakeAdapterInterface());
        ASSERT_EQ(Open(), kOpenDone);
        EXPECT_EQ(Exchange(), row.result);
        EXPECT_LE(fakeHid.elapsedMs, kWriteTimeoutMs + kAnswerTimeoutMs + kCancelTimeoutMs);
        EXPECT_EQ(fakeHid.requestsCancelled, row.result == kExchangeDone ? 0 : 1);
        EXPECT_EQ(Close(), kCloseDone);
    }
}

TEST_F(HidAdapterTest, GivesUpOnASilentAdapterAndCancelsTheRead) {
    fakeHid.adapter.answer = kFakeAnswerNever;
    AddFakeInterface(FakeAdapterInterface());
    ASSERT_EQ(Open(), kOpenDone);
    EXPECT_EQ(Exchange(), kExchangeTimedOut);
    EXPECT_EQ(fakeHid.elapsedMs, kAnswerTimeoutMs);
    EXPECT_EQ(fakeHid.requestsCancelled, 1);
    ExpectReceiveUntouched();
    fakeHid.adapter.answer = kFakeAnswerEcho;
    EXPECT_EQ(Exchange(), kExchangeDone) << "the next exchange is served again";
    EXPECT_EQ(Close(), kCloseDone);
}

TEST_F(HidAdapterTest, StaysBoundedWhenACancelDoesNotEndTheRead) {
    fakeHid.adapter.answer = kFakeAnswerNever;
    fakeHid.adapter.cancelIgnored = true;
    AddFakeInterface(FakeAdapterInterface());
    ASSERT_EQ(Open(), kOpenDone);
    EXPECT_EQ(Exchange(), kExchangeTimedOut);
    EXPECT_EQ(fakeHid.elapsedMs, kAnswerTimeoutMs + kCancelTimeoutMs);
    int writes = fakeHid.writes;
    fakeHid.adapter.answer = kFakeAnswerEcho;
    EXPECT_EQ(Exchange(), kExchangeBusy);
    EXPECT_EQ(fakeHid.writes, writes) << "a new request while the old one still runs";
    EXPECT_EQ(Close(), kCloseDone);
    EXPECT_EQ(fakeHid.requestsCancelled, 1) << "closing the file ends the read";
}

TEST_F(HidAdapterTest, DoesNotReadWhenTheWriteNeverLeaves) {
    fakeHid.adapter.writeNeverCompletes = true;
    AddFakeInterface(FakeAdapterInterface());
    ASSERT_EQ(Open(), kOpenDone);
    EXPECT_EQ(Exchange(), kExchangeWriteTimedOut);
    EXPECT_EQ(fakeHid.reads, 0);
    EXPECT_EQ(fakeHid.requestsCancelled, 1);
    EXPECT_EQ(Close(), kCloseDone);
}

// --- Exchange: failures ---

TEST_F(HidAdapterTest, FailsWhenTheWriteIsRefused) {
    fakeHid.adapter.writeRefused = true;
    AddFakeInterface(FakeAdapterInterface());
    ASSERT_EQ(Open(), kOpenDone);
    EXPECT_EQ(Exchange(), kExchangeWriteFailed);
    EXPECT_EQ(fakeHid.reads, 0);
    ExpectReceiveUntouched();
    EXPECT_EQ(Close(), kCloseDone);
}

TEST_F(HidAdapterTest, FailsAtOnceWhenPulledOutBetweenOpenAndExchange) {
    AddFakeInterface(FakeAdapterInterface());
    ASSERT_EQ(Open(), kOpenDone);
    fakeHid.adapter.unplugged = true;
    EXPECT_NE(Exchange(), kExchangeDone);
    EXPECT_NE(Exchange(), kExchangeDone);
    EXPECT_EQ(fakeHid.elapsedMs, 0u);
    ExpectReceiveUntouched();
    EXPECT_EQ(Close(), kCloseDone);
}

TEST_F(HidAdapterTest, RefusesRecordsThatHoldNoOpenAdapter) {
    AddFakeInterface(FakeAdapterInterface());
    DeviceRecord zeroed = {};
    EXPECT_EQ(ExchangeWithAdapter(kFakeHidCalls, &zeroed, kReadRegister16, receive),
              kExchangeNotOpen);
    ASSERT_EQ(Open(), kOpenDone);
    DeviceRecord wrongSlot = device;
    wrongSlot.words[1] = kAdapterSlotCount;
    EXPECT_EQ(ExchangeWithAdapter(kFakeHidCalls, &wrongSlot, kReadRegister16, receive),
              kExchangeNotOpen);
    EXPECT_EQ(ExchangeWithAdapter(kFakeHidCalls, &device, kReadRegister16, nullptr),
              kExchangeNotOpen);
    EXPECT_EQ(ExchangeWithAdapter(kFakeHidCalls, &device, nullptr, receive), kExchangeNotOpen);
    EXPECT_EQ(fakeHid.writes, 0);
    EXPECT_EQ(Close(), kCloseDone);
    EXPECT_EQ(Exchange(), kExchangeNotOpen);
    ExpectReceiveUntouched();
}

// --- Close ---

TEST_F(HidAdapterTest, CloseEndsTheOpenAndZeroesTheRecord) {
    AddFakeInterface(FakeAdapterInterface());
    ASSERT_EQ(Open(), kOpenDone);
    EXPECT_EQ(Close(), kCloseDone);
    ExpectRecordZero();
    EXPECT_EQ(Close(), kCloseNothingOpen) << "a second close";
}

TEST_F(HidAdapterTest, CloseIsHarmlessOnAZeroedRecord) {
    AddFakeInterface(FakeAdapterInterface());
    memset(&device, 0, sizeof(device));
    EXPECT_EQ(Close(), kCloseNothingOpen);
    EXPECT_EQ(fakeHid.cancels, 0);
}

TEST_F(HidAdapterTest, CloseIsHarmlessAfterAFailedOpen) {
    AddFakeInterface(FakeWineKeyboard());
    ASSERT_EQ(Open(), kOpenNotFound);
    EXPECT_EQ(Close(), kCloseNothingOpen);
}

TEST_F(HidAdapterTest, AStaleCopyOfARecordCannotCloseALaterOpen) {
    AddFakeInterface(FakeAdapterInterface());
    ASSERT_EQ(Open(), kOpenDone);
    DeviceRecord stale = device;
    ASSERT_EQ(Close(), kCloseDone);
    ASSERT_EQ(Open(), kOpenDone);
    EXPECT_EQ(CloseAdapter(kFakeHidCalls, &stale), kCloseNothingOpen);
    EXPECT_EQ(Exchange(), kExchangeDone);
    EXPECT_EQ(Close(), kCloseDone);
}

} // namespace
