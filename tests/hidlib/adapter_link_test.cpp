// The open, exchange and close that both backends share, over a scripted backend: the order of
// the lock and the search, the answers passed over, the time limit, and which records and slots
// are served, given back or never handed out again.
#include <gtest/gtest.h>

#include <string.h>

#include "adapter_link.h"
#include "adapter_slots.h"

namespace {

// What the scripted system does, and what it saw.
struct ScriptedSystem {
    int lockResult = kOpenDone, openResult = kOpenDone, dropResult = kExchangeDone;
    int sendResult = kExchangeDone;
    // Input reports in arrival order, each taking `msPerReport`; none left: a time-out.
    unsigned char reports[4][kReportBytes] = {};
    unsigned long lengths[4] = {};
    int reportCount = 0, reportsRead = 0, msPerReport = 0;
    bool closeFreesMemory = true;
    unsigned long long nowMs = 0;
    unsigned int lockedSlots = 0, openSlots = 0; // bit per slot
    unsigned char sent[kReportBytes] = {};
};

ScriptedSystem scripted;

int TakeLock(int slot) {
    if (scripted.lockResult == kOpenDone)
        scripted.lockedSlots |= 1u << slot;
    return scripted.lockResult;
}
void GiveBackLock(int slot) {
    EXPECT_TRUE(scripted.lockedSlots & (1u << slot));
    scripted.lockedSlots &= ~(1u << slot);
}
int OpenFirst(int slot, int vendorId) {
    EXPECT_TRUE(scripted.lockedSlots & (1u << slot)) << "the search runs under the lock";
    EXPECT_EQ(vendorId, kAdapterVendorId);
    if (scripted.openResult == kOpenDone)
        scripted.openSlots |= 1u << slot;
    return scripted.openResult;
}
int DropStale(int) {
    return scripted.dropResult;
}
int Send(int, const unsigned char report[kReportBytes]) {
    memcpy(scripted.sent, report, kReportBytes);
    return scripted.sendResult;
}
int Receive(int, unsigned char report[kReportBytes], unsigned long* length,
            unsigned int timeoutMs) {
    if (scripted.reportsRead == scripted.reportCount ||
        timeoutMs < static_cast<unsigned int>(scripted.msPerReport)) {
        scripted.nowMs += timeoutMs;
        return kExchangeTimedOut;
    }
    scripted.nowMs += static_cast<unsigned long long>(scripted.msPerReport);
    memcpy(report, scripted.reports[scripted.reportsRead], kReportBytes);
    *length = scripted.lengths[scripted.reportsRead++];
    return kExchangeDone;
}
unsigned long long Now() {
    return scripted.nowMs;
}
bool Close(int slot) {
    EXPECT_TRUE(scripted.openSlots & (1u << slot));
    scripted.openSlots &= ~(1u << slot);
    return scripted.closeFreesMemory;
}

const HidBackend kScripted = {TakeLock, GiveBackLock, OpenFirst, DropStale,
                              Send,     Receive,      Now,       Close};
const unsigned char kCommand[kExchangeAreaSize] = {0x02, 0x82, 0x00, 0x10};

void QueueReport(unsigned char echoedRegister, unsigned long length = kReportBytes) {
    unsigned char* report = scripted.reports[scripted.reportCount];
    const unsigned char answer[kReportBytes] = {0, 0x02, 0x82, 0x00, echoedRegister, 0x5A, 0};
    memcpy(report, answer, kReportBytes);
    scripted.lengths[scripted.reportCount++] = length;
}

int Open(DeviceRecord* device) {
    return OpenAdapter(kScripted, kAdapterVendorId, 6, 6, device);
}

int Exchange(DeviceRecord* device, unsigned char* receive) {
    return ExchangeWithAdapter(kScripted, device, kCommand, receive);
}

TEST(AdapterLink, AFailedOpenLeavesNeitherLockNorAdapterNorSlot) {
    // lock, search, their result
    const int rows[][3] = {
        {kOpenBusy, kOpenDone, kOpenBusy},         {kOpenNoEvent, kOpenDone, kOpenNoEvent},
        {kOpenDone, kOpenNotFound, kOpenNotFound}, {kOpenDone, kOpenDenied, kOpenDenied},
        {kOpenDone, kOpenRefused, kOpenRefused},
    };
    for (const auto& row : rows) {
        scripted = ScriptedSystem{row[0], row[1]};
        for (int open = 0; open <= kAdapterSlotCount; ++open) { // every slot comes back
            DeviceRecord device;
            ASSERT_EQ(Open(&device), row[2]);
            EXPECT_EQ(Exchange(&device, nullptr), kExchangeNotOpen);
            EXPECT_EQ(CloseAdapter(kScripted, &device), kCloseNothingOpen);
        }
        EXPECT_EQ(scripted.lockedSlots | scripted.openSlots, 0u);
    }
    scripted = ScriptedSystem{};
    DeviceRecord device;
    EXPECT_EQ(OpenAdapter(kScripted, kAdapterVendorId, 6, 7, &device), kOpenUnsupportedReports);
    EXPECT_EQ(OpenAdapter(kScripted, kAdapterVendorId, 6, 6, nullptr), kOpenNoRecord);
    EXPECT_EQ(scripted.lockedSlots, 0u);
}

// The reports that arrive, the system's results, and what the exchange ends in.
TEST(AdapterLink, AnExchangeTakesOnlyItsOwnAnswerWithinTheTimeLimit) {
    struct Row {
        const char* what;
        void (*script)();
        int result;
    };
    const Row rows[] = {
        {"its answer", [] { QueueReport(0x10); }, kExchangeDone},
        {"others' answers first", [] { QueueReport(0x11), QueueReport(0x0F), QueueReport(0x10); },
         kExchangeDone},
        {"a short report", [] { QueueReport(0x10, 6); }, kExchangeMalformedAnswer},
        {"no answer", [] {}, kExchangeTimedOut},
        {"others' answers till the time is up",
         [] {
             scripted.msPerReport = 200, QueueReport(0x11), QueueReport(0x11), QueueReport(0x10);
         },
         kExchangeTimedOut},
        {"pulled out", [] { scripted.dropResult = kExchangeFlushFailed; }, kExchangeFlushFailed},
        {"refused report", [] { scripted.sendResult = kExchangeWriteFailed; },
         kExchangeWriteFailed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        scripted = ScriptedSystem{};
        row.script();
        DeviceRecord device;
        ASSERT_EQ(Open(&device), kOpenDone);
        unsigned char receive[kExchangeAreaSize];
        memset(receive, 0xEE, sizeof(receive));
        EXPECT_EQ(Exchange(&device, receive), row.result);
        EXPECT_LE(scripted.nowMs, static_cast<unsigned long long>(kAnswerTimeoutMs));
        EXPECT_EQ(receive[4], row.result == kExchangeDone ? 0x5A : 0xEE);
        const unsigned char report[kReportBytes] = {0, 0x02, 0x82, 0x00, 0x10, 0, 0};
        if (row.result != kExchangeFlushFailed) {
            EXPECT_EQ(memcmp(scripted.sent, report, kReportBytes), 0) << "sent with report ID 0";
        }
        EXPECT_EQ(CloseAdapter(kScripted, &device), kCloseDone);
        EXPECT_EQ(scripted.lockedSlots | scripted.openSlots, 0u);
    }
}

// A stale copy of a record, a zeroed one and a closed one are refused; a record opened again is
// closed first; a slot whose memory the system may still write is never handed out again.
TEST(AdapterLink, OnlyTheOpenRecordIsServedAndBusyMemoryIsRetired) {
    scripted = ScriptedSystem{};
    DeviceRecord device, zeroed = {};
    ASSERT_EQ(Open(&device), kOpenDone);
    DeviceRecord stale = device;
    ASSERT_EQ(Open(&device), kOpenDone);
    EXPECT_EQ(__builtin_popcount(scripted.lockedSlots), 1) << "the first open was closed";
    unsigned char receive[kExchangeAreaSize];
    for (DeviceRecord* refused : {&stale, &zeroed}) {
        EXPECT_EQ(Exchange(refused, receive), kExchangeNotOpen);
        EXPECT_EQ(CloseAdapter(kScripted, refused), kCloseNothingOpen);
    }
    scripted.closeFreesMemory = false;
    EXPECT_EQ(CloseAdapter(kScripted, &device), kCloseDone);
    EXPECT_EQ(CloseAdapter(kScripted, &device), kCloseNothingOpen) << "a second close";
    EXPECT_EQ(scripted.lockedSlots, 0u) << "the lock goes back with a retired slot too";
    scripted.closeFreesMemory = true;
    DeviceRecord records[kAdapterSlotCount] = {};
    int opened = 0;
    while (opened < kAdapterSlotCount && Open(&records[opened]) == kOpenDone)
        ++opened;
    EXPECT_EQ(opened, kAdapterSlotCount - 1) << "one slot retired";
    EXPECT_EQ(Open(&zeroed), kOpenNoFreeSlot);
    for (DeviceRecord& record : records)
        CloseAdapter(kScripted, &record);
    EXPECT_EQ(scripted.lockedSlots | scripted.openSlots, 0u);
}

} // namespace
