// The register transfers against the simulated adapter: the exact library calls, the progress
// reports, and how a failed exchange stops a transfer.
#include "device_transfer.h"
#include "sim_library.h"

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <vector>

namespace {

// After each image register, rounded down.
const std::vector<int> kPercents = {3,  6,  9,  12, 15, 18, 21, 25, 28, 31, 34,
                                    37, 40, 43, 46, 50, 53, 56, 59, 62, 65, 68,
                                    71, 75, 78, 81, 84, 87, 90, 93, 96, 100};
std::vector<int> percents;

void RecordProgress(int percent) {
    percents.push_back(percent);
}

SimAdapter* FreshAdapter() {
    SimReset(SimulatedAdapter());
    percents.clear();
    return SimulatedAdapter();
}

void ExpectExchange(int n, int kind, int address, int value) {
    const SimCall& call = SimulatedAdapter()->calls[n];
    EXPECT_EQ((std::vector<int>{2, kind, address >> 8, address & 0xFF, value, 0}),
              std::vector<int>(call.command, call.command + 6))
        << "call " << n;
}

// A write frames the image between the two commit markers; a read takes the 32 registers and
// clears the rest of the record, which from the adapter has no file marker.
TEST(DeviceTransfer, AWriteFramesTheImageAndCommitsAndAReadTakesItBack) {
    SimAdapter* adapter = FreshAdapter();
    unsigned char record[kConfigRecordSize];
    for (int i = 0; i < kConfigRecordSize; ++i)
        record[i] = static_cast<unsigned char>(i * 9 + 1);
    ASSERT_EQ(kDeviceDone, WriteDeviceConfig(record, RecordProgress));
    ASSERT_EQ(36, adapter->callCount); // the open, 34 exchanges, the close
    ExpectExchange(1, 0x81, 511, 0x00);
    for (int n = 0; n < 32; ++n)
        ExpectExchange(2 + n, 0x81, n, record[n]);
    ExpectExchange(34, 0x81, 511, 0x48);
    EXPECT_EQ(1, adapter->commitCount);
    EXPECT_EQ(kPercents, percents);
    percents.clear();
    memset(record, 0xA5, sizeof(record));
    ASSERT_EQ(kDeviceDone, ReadDeviceConfig(record, RecordProgress));
    ASSERT_EQ(70, adapter->callCount); // and the open, 32 exchanges, the close
    for (int n = 0; n < 32; ++n)
        ExpectExchange(37 + n, 0x82, n, 0x00);
    for (int i = 0; i < kConfigRecordSize; ++i)
        EXPECT_EQ(i < 32 ? static_cast<unsigned char>(i * 9 + 1) : 0, record[i]) << i;
    EXPECT_EQ(kPercents, percents);
}

// Failing at the open (0) or at any exchange: the transfer stops there, reports no progress for
// that register or a later one, and closes what it opened; a write never sends the commit.
TEST(DeviceTransfer, AFailureStopsTheTransfer) {
    for (bool write : {true, false}) {
        for (int failing = 0; failing <= (write ? 34 : 32); ++failing) {
            SCOPED_TRACE(testing::Message() << (write ? "write" : "read") << " at " << failing);
            SimAdapter* adapter = FreshAdapter();
            adapter->faults.absent = failing == 0;
            adapter->faults.failAtExchange = failing;
            unsigned char record[kConfigRecordSize];
            memset(record, 0x5A, sizeof(record));
            unsigned int failedRegister = 9999;
            int result = write ? WriteDeviceConfig(record, RecordProgress, &failedRegister)
                               : ReadDeviceConfig(record, RecordProgress, &failedRegister);
            EXPECT_EQ(failing ? kDeviceExchangeFailed : kDeviceNotFound, result);
            EXPECT_EQ(failing, SimCountCalls(adapter, kSimCallExchange));
            EXPECT_EQ(failing ? 1 : 0, SimCountCalls(adapter, kSimCallClose));
            EXPECT_EQ(failing ? kSimCallClose : kSimCallOpen,
                      adapter->calls[adapter->callCount - 1].kind);
            EXPECT_EQ(0, adapter->commitCount);
            int registersDone = failing - (write ? 2 : 1);
            EXPECT_EQ(std::max(0, std::min(32, registersDone)), int(percents.size()));
            EXPECT_TRUE(failing != 0 || record[0] == 0x5A) << "a failed open changed the record";
            bool atMarker = write && (failing == 1 || failing == 34);
            if (failing) {
                EXPECT_EQ(atMarker ? 511u : unsigned(failing - (write ? 2 : 1)), failedRegister);
            }
        }
    }
}

} // namespace
