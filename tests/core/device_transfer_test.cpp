// The register transfers against the simulated adapter: the exact library calls, the progress
// reports, and how a failed exchange stops a transfer.
#include "device_transfer.h"
#include "sim_library.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

int progressCount;
int progressPercents[64];
int callsAtProgress[64];

void RecordProgress(int percent) {
    if (progressCount < 64) {
        progressPercents[progressCount] = percent;
        callsAtProgress[progressCount] = SimulatedAdapter()->callCount;
    }
    ++progressCount;
}

class DeviceTransfer : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset(SimulatedAdapter());
        progressCount = 0;
    }
    SimAdapter* adapter() {
        return SimulatedAdapter();
    }
    const SimCall& call(int n) {
        return adapter()->calls[n];
    }
    void ExpectCommand(int n, unsigned char b1, unsigned int address, unsigned char value) {
        const unsigned char expected[6] = {0x02,
                                           b1,
                                           static_cast<unsigned char>(address >> 8),
                                           static_cast<unsigned char>(address & 0xFF),
                                           value,
                                           0};
        ASSERT_EQ(kSimCallExchange, call(n).kind) << "call " << n;
        EXPECT_EQ(0, memcmp(expected, call(n).command, 6)) << "call " << n;
    }
};

TEST_F(DeviceTransfer, ProbeOpensAndClosesOnceWithoutExchanges) {
    EXPECT_EQ(kDeviceDone, ProbeDevice());
    ASSERT_EQ(2, adapter()->callCount);
    EXPECT_EQ(kSimCallOpen, call(0).kind);
    EXPECT_EQ(0x3258, call(0).arguments[0]);
    EXPECT_EQ(6, call(0).arguments[1]);
    EXPECT_EQ(6, call(0).arguments[2]);
    EXPECT_EQ(kSimCallClose, call(1).kind);
    EXPECT_EQ(0, call(1).result);
}

TEST_F(DeviceTransfer, NoAdapterLeavesEverythingUntouched) {
    adapter()->faults.absent = true;
    EXPECT_EQ(kDeviceNotFound, ProbeDevice());
    EXPECT_EQ(1, SimCountCalls(adapter(), kSimCallClose)); // the probe closes even so

    unsigned char record[kConfigRecordSize];
    memset(record, 0x5A, sizeof(record));
    adapter()->callCount = 0;
    EXPECT_EQ(kDeviceNotFound, ReadDeviceConfig(record, RecordProgress));
    EXPECT_EQ(kDeviceNotFound, WriteDeviceConfig(record, RecordProgress));
    EXPECT_EQ(2, adapter()->callCount); // two opens, no exchange, no close
    EXPECT_EQ(0, SimCountCalls(adapter(), kSimCallClose));
    EXPECT_EQ(0, progressCount);
    for (int i = 0; i < kConfigRecordSize; ++i)
        ASSERT_EQ(0x5A, record[i]) << i;
}

TEST_F(DeviceTransfer, WriteSendsTheFramedImageInOrderAndCommits) {
    unsigned char record[kConfigRecordSize];
    for (int i = 0; i < kConfigRecordSize; ++i)
        record[i] = static_cast<unsigned char>(i * 7 + 1);
    record[3] = 0x00;
    record[4] = 0x80;
    record[5] = 0xFF;
    EXPECT_EQ(kDeviceDone, WriteDeviceConfig(record, RecordProgress));
    ASSERT_EQ(36, adapter()->callCount);
    EXPECT_EQ(kSimCallOpen, call(0).kind);
    ExpectCommand(1, 0x81, 511, 0x00);
    for (int n = 0; n < 32; ++n)
        ExpectCommand(2 + n, 0x81, n, record[n]);
    ExpectCommand(34, 0x81, 511, 0x48);
    EXPECT_EQ(kSimCallClose, call(35).kind);
    EXPECT_EQ(1, adapter()->commitCount);
    EXPECT_EQ(0, memcmp(record, adapter()->committed, 32));
}

TEST_F(DeviceTransfer, WriteIgnoresBytesBeyondTheImage) {
    unsigned char first[kConfigRecordSize] = {};
    unsigned char second[kConfigRecordSize];
    memset(second, 0xEE, sizeof(second));
    memset(second, 0, 32);
    WriteDeviceConfig(first, RecordProgress);
    SimCall firstCalls[36];
    memcpy(firstCalls, adapter()->calls, sizeof(firstCalls));
    SimReset(adapter());
    WriteDeviceConfig(second, RecordProgress);
    ASSERT_EQ(36, adapter()->callCount);
    for (int n = 0; n < 36; ++n)
        EXPECT_EQ(0, memcmp(firstCalls[n].command, call(n).command, 6)) << n;
}

TEST_F(DeviceTransfer, ReadFillsTheImageAndClearsTheRest) {
    for (int n = 0; n < 32; ++n)
        adapter()->registers[n] = static_cast<unsigned char>(0xFF - n * 8);
    adapter()->registers[16] = 0x80;
    adapter()->registers[32] = 0x77; // never read
    unsigned char record[kConfigRecordSize];
    memset(record, 0xA5, sizeof(record));
    EXPECT_EQ(kDeviceDone, ReadDeviceConfig(record, RecordProgress));
    ASSERT_EQ(34, adapter()->callCount);
    for (int n = 0; n < 32; ++n) {
        ExpectCommand(1 + n, 0x82, n, 0x00);
        EXPECT_EQ(adapter()->registers[n], record[n]) << n;
    }
    EXPECT_EQ(0x80, record[16]);
    EXPECT_EQ(kSimCallClose, call(33).kind);
    for (int i = 32; i < kConfigRecordSize; ++i)
        ASSERT_EQ(0, record[i]) << i;
}

TEST_F(DeviceTransfer, ProgressFollowsEachImageRegister) {
    unsigned char record[kConfigRecordSize] = {};
    const int expected[32] = {3,  6,  9,  12, 15, 18, 21, 25, 28, 31, 34, 37, 40, 43, 46, 50,
                              53, 56, 59, 62, 65, 68, 71, 75, 78, 81, 84, 87, 90, 93, 96, 100};
    ASSERT_EQ(kDeviceDone, WriteDeviceConfig(record, RecordProgress));
    ASSERT_EQ(32, progressCount);
    for (int k = 0; k < 32; ++k) {
        EXPECT_EQ(expected[k], progressPercents[k]) << k;
        // open, 511 <- 0, then k + 1 image registers: never before a register, never for 511
        EXPECT_EQ(k + 3, callsAtProgress[k]) << k;
    }
    progressCount = 0;
    SimReset(adapter());
    ASSERT_EQ(kDeviceDone, ReadDeviceConfig(record, RecordProgress));
    ASSERT_EQ(32, progressCount);
    for (int k = 0; k < 32; ++k) {
        EXPECT_EQ(expected[k], progressPercents[k]) << k;
        EXPECT_EQ(k + 2, callsAtProgress[k]) << k;
    }
}

// Every position at which an exchange can fail: the transfer stops there, closes once and
// reports 2; a write that stopped never sends the closing marker, so nothing is committed.
TEST_F(DeviceTransfer, WriteStopsAtAFailedExchange) {
    unsigned char record[kConfigRecordSize];
    memset(record, 0x31, sizeof(record));
    for (int failing = 1; failing <= 34; ++failing) {
        SimReset(adapter());
        progressCount = 0;
        adapter()->faults.failAtExchange = failing;
        EXPECT_EQ(kDeviceExchangeFailed, WriteDeviceConfig(record, RecordProgress)) << failing;
        EXPECT_EQ(failing, SimCountCalls(adapter(), kSimCallExchange)) << failing;
        EXPECT_EQ(1, SimCountCalls(adapter(), kSimCallClose)) << failing;
        EXPECT_EQ(kSimCallClose, call(adapter()->callCount - 1).kind) << failing;
        EXPECT_FALSE(adapter()->open);
        EXPECT_EQ(0, adapter()->commitCount) << failing;
        for (int n = 0; n < adapter()->callCount; ++n) {
            if (call(n).kind == kSimCallExchange && call(n).result == 0) {
                EXPECT_FALSE(call(n).command[3] == 0xFF && call(n).command[4] == 0x48);
            }
        }
        // No progress for the failed register or any after it.
        EXPECT_EQ(failing <= 1 ? 0 : failing - 2 > 32 ? 32 : failing - 2, progressCount) << failing;
    }
}

TEST_F(DeviceTransfer, ReadStopsAtAFailedExchangeAndReportsNoFurtherProgress) {
    unsigned char record[kConfigRecordSize];
    for (int failing = 1; failing <= 32; ++failing) {
        SimReset(adapter());
        progressCount = 0;
        adapter()->faults.failAtExchange = failing;
        EXPECT_EQ(kDeviceExchangeFailed, ReadDeviceConfig(record, RecordProgress)) << failing;
        EXPECT_EQ(failing, SimCountCalls(adapter(), kSimCallExchange));
        EXPECT_EQ(1, SimCountCalls(adapter(), kSimCallClose));
        EXPECT_EQ(failing - 1, progressCount);
    }
}

TEST_F(DeviceTransfer, UnpluggedMidWriteLeavesTheCommittedConfiguration) {
    unsigned char old[kConfigRecordSize] = {};
    old[16] = 1;
    ASSERT_EQ(kDeviceDone, WriteDeviceConfig(old, RecordProgress));
    unsigned char fresh[kConfigRecordSize] = {};
    fresh[16] = 2;
    adapter()->faults.unplugAfterExchange = adapter()->exchangeCount + 10;
    EXPECT_EQ(kDeviceExchangeFailed, WriteDeviceConfig(fresh, RecordProgress));
    EXPECT_EQ(1, adapter()->commitCount);
    EXPECT_EQ(1, adapter()->committed[16]);
}

} // namespace
