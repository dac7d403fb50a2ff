// Our Tandemix.dll over the real HID stack of a machine without an adapter (Wine's, here), loaded
// from beside this program.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include "tandemix_hid.h"

TEST(HidRealStackTest, TheOpenFailsAndTheCallsAfterItAreSafe) {
    DeviceRecord device;
    memset(&device, 0x77, sizeof(device));
    EXPECT_NE(OpenHidDevice(kAdapterVendorId, 6, 6, &device), 0);
    const unsigned char send[kExchangeAreaSize] = {0x02, 0x82, 0x00, 0x10};
    unsigned char receive[kExchangeAreaSize] = {};
    EXPECT_NE(WriteHidDevice(&device, send, receive), 0);
    CloseHidDevice(&device);
}
