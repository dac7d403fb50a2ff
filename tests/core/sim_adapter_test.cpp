// The simulated adapter itself: its commit frame, faults and call record, since every other
// test trusts what it reports.
#include "sim_adapter.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

class SimAdapterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimReset(&adapter);
    }
    SimExchangeResult Write(unsigned int address, unsigned char value) {
        unsigned char send[8] = {0x02,
                                 0x81,
                                 static_cast<unsigned char>(address >> 8),
                                 static_cast<unsigned char>(address),
                                 value,
                                 0};
        return SimExchange(&adapter, &device, send, receive);
    }
    SimExchangeResult Read(unsigned int address) {
        unsigned char send[8] = {0x02,
                                 0x82,
                                 static_cast<unsigned char>(address >> 8),
                                 static_cast<unsigned char>(address),
                                 0,
                                 0};
        return SimExchange(&adapter, &device, send, receive);
    }
    void WriteFrame(unsigned char fill, int imageRegisters) {
        Write(511, 0x00);
        for (int n = 0; n < imageRegisters; ++n)
            Write(n, fill);
        Write(511, 0x48);
    }
    bool Open() {
        return SimOpen(&adapter, 0x3258, 6, 6, &device) == 0;
    }

    static SimAdapter adapter;
    DeviceRecord device;
    unsigned char receive[8] = {};
};
SimAdapter SimAdapterTest::adapter;

TEST_F(SimAdapterTest, OpenNeedsTheAdapterIdentityAndOneOwner) {
    EXPECT_NE(0, SimOpen(&adapter, 0x3259, 6, 6, &device));
    EXPECT_NE(0, SimOpen(&adapter, 0x3258, 7, 6, &device));
    EXPECT_NE(0, SimOpen(&adapter, 0x3258, 6, 5, &device));
    ASSERT_TRUE(Open());
    DeviceRecord second;
    EXPECT_NE(0, SimOpen(&adapter, 0x3258, 6, 6, &second));
    EXPECT_EQ(0, SimClose(&adapter, &device));
    EXPECT_NE(0, SimClose(&adapter, &device)); // already closed
    adapter.faults.absent = true;
    EXPECT_FALSE(Open());
}

TEST_F(SimAdapterTest, AnswersEchoTheCommandAndCarryTheRegister) {
    ASSERT_TRUE(Open());
    EXPECT_EQ(kSimAnswered, Write(0x1234, 0x9C));
    EXPECT_EQ(kSimAnswered, Read(0x1234));
    const unsigned char expected[6] = {0x02, 0x82, 0x12, 0x34, 0x9C, 0};
    EXPECT_EQ(0, memcmp(expected, receive, 6));
    unsigned char malformed[8] = {0x03, 0x82, 0, 0, 0, 0};
    EXPECT_EQ(kSimNoAnswer, SimExchange(&adapter, &device, malformed, receive));
}

TEST_F(SimAdapterTest, CommitsOnlyACompleteFrame) {
    ASSERT_TRUE(Open());
    WriteFrame(0x11, 32);
    EXPECT_EQ(1, adapter.commitCount);
    EXPECT_EQ(0x11, adapter.committed[31]);
    WriteFrame(0x22, 31); // one register short
    EXPECT_EQ(1, adapter.commitCount);
    EXPECT_EQ(0x11, adapter.committed[0]);
    for (int n = 0; n < 32; ++n)
        Write(n, 0x33); // no opening marker
    Write(511, 0x48);
    EXPECT_EQ(1, adapter.commitCount);
    Write(511, 0x00);
    for (int n = 0; n < 32; ++n)
        Write(n, 0x44);
    SimClose(&adapter, &device); // closed inside the frame
    ASSERT_TRUE(Open());
    Write(511, 0x48);
    EXPECT_EQ(1, adapter.commitCount);
    SimPowerCycle(&adapter);
    EXPECT_EQ(0x11, adapter.registers[5]);
    EXPECT_EQ(0, adapter.registers[511]);
}

TEST_F(SimAdapterTest, FaultsStrikeAtTheirExchange) {
    adapter.faults.failAtExchange = 2;
    adapter.faults.silentAtExchange = 3;
    adapter.faults.unplugAfterExchange = 4;
    ASSERT_TRUE(Open());
    EXPECT_EQ(kSimAnswered, Read(0));
    EXPECT_EQ(kSimFailed, Write(0, 1));
    EXPECT_EQ(0, adapter.registers[0]); // a failed write stores nothing
    EXPECT_EQ(kSimNoAnswer, Read(0));
    EXPECT_EQ(kSimAnswered, Read(0));
    EXPECT_EQ(kSimFailed, Read(0));
    SimClose(&adapter, &device);
    EXPECT_FALSE(Open());
    SimPowerCycle(&adapter);
    EXPECT_TRUE(Open());
}

TEST_F(SimAdapterTest, CallRecordCountsPastItsCapacity) {
    ASSERT_TRUE(Open());
    for (int i = 0; i < kSimMaxCalls + 10; ++i)
        Read(0);
    EXPECT_EQ(kSimMaxCalls + 11, adapter.callCount);
    EXPECT_EQ(kSimMaxCalls - 1, SimCountCalls(&adapter, kSimCallExchange));
}

} // namespace
