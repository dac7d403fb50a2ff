// The simulated adapter's faults behind the library calls, as the other tests use them.
#include "sim_library.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

// Exchanges count over the adapter's life; the silent one also waits out the library's
// timeout, and neither it nor the failed one stores its value.
TEST(SimAdapter, FaultsStrikeAtTheirExchange) {
    SimReset(SimulatedAdapter());
    SimulatedAdapter()->faults = {false, false, 2, 3, 0, 20}; // fail 2, silent 3, latency 20 ms
    DeviceRecord device;
    ASSERT_EQ(0, OpenHidDevice(0x3258, 6, 6, &device));
    // command, value, answered, least time in ms
    const int rows[][4] = {
        {0x81, 0x9C, 1, 20}, {0x81, 0x11, 0, 20}, {0x81, 0x22, 0, 520}, {0x82, 0, 1, 20}};
    unsigned char receive[8] = {};
    for (const auto& row : rows) {
        const unsigned char send[6] = {0x02, static_cast<unsigned char>(row[0]), 0x12,
                                       0x34, static_cast<unsigned char>(row[1]), 0};
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(row[2] != 0, WriteHidDevice(&device, send, receive) == 0) << row[1];
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(row[3]));
    }
    EXPECT_EQ(0x9C, receive[4]);
    EXPECT_EQ(0, CloseHidDevice(&device));
    SimulatedAdapter()->faults.absent = true;
    EXPECT_NE(0, OpenHidDevice(0x3258, 6, 6, &device));
}

} // namespace
