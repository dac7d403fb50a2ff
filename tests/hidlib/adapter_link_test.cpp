// The open, exchange and close that every backend shares, over a scripted backend: the order of
// the lock and the search, and which records and slots are served, given back or never handed
// out again. The Windows backend's tests run the exchanges' answers and time limits through it.
#include <gtest/gtest.h>

#include <string.h>

#include "adapter_link.h"
#include "adapter_slots.h"

namespace {

// What the scripted system does, and what it saw.
struct ScriptedSystem {
    int lockResult = kOpenDone, openResult = kOpenDone;
    bool closeFreesMemory = true;
    unsigned int lockedSlots = 0, openSlots = 0; // bit per slot
};

ScriptedSystem scripted;
unsigned char lastReport[kReportBytes];

int TakeLock(int slot) {
    scripted.lockedSlots |= (scripted.lockResult == kOpenDone ? 1u : 0u) << slot;
    return scripted.lockResult;
}
void GiveBackLock(int slot) {
    EXPECT_TRUE(scripted.lockedSlots & (1u << slot));
    scripted.lockedSlots &= ~(1u << slot);
}
int OpenFirst(int slot, int vendorId) {
    EXPECT_TRUE(scripted.lockedSlots & (1u << slot)) << "the search runs under the lock";
    EXPECT_EQ(vendorId, kAdapterVendorId);
    scripted.openSlots |= (scripted.openResult == kOpenDone ? 1u : 0u) << slot;
    return scripted.openResult;
}
// The adapter answers every command at once by repeating it, with 0x5A in byte 4.
int Send(int, const unsigned char report[kReportBytes]) {
    memcpy(lastReport, report, kReportBytes);
    lastReport[5] = 0x5A;
    return kExchangeDone;
}
int Receive(int, unsigned char report[kReportBytes], unsigned long* length, unsigned int) {
    memcpy(report, lastReport, kReportBytes);
    *length = kReportBytes;
    return kExchangeDone;
}
bool Close(int slot) {
    EXPECT_TRUE(scripted.openSlots & (1u << slot));
    scripted.openSlots &= ~(1u << slot);
    return scripted.closeFreesMemory;
}

// Nothing stale to drop, and a clock that stands still.
const HidBackend kScripted = {
    TakeLock, GiveBackLock, OpenFirst,           [](int) -> int { return kExchangeDone; },
    Send,     Receive,      [] { return 0ULL; }, Close};
const unsigned char kCommand[kExchangeAreaSize] = {0x02, 0x82, 0x00, 0x10};

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
    unsigned char receive[kExchangeAreaSize] = {};
    EXPECT_EQ(Exchange(&device, receive), kExchangeDone);
    EXPECT_EQ(receive[4], 0x5A);
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
    for (int i = 0; i < kAdapterSlotCount; ++i) // one slot retired
        EXPECT_EQ(Open(&records[i]), i < kAdapterSlotCount - 1 ? kOpenDone : kOpenNoFreeSlot);
    for (DeviceRecord& record : records)
        CloseAdapter(kScripted, &record);
    EXPECT_EQ(scripted.lockedSlots | scripted.openSlots, 0u);
}

} // namespace
