// Our Tandemix.dll over the real HID stack of a machine without an adapter (Wine's, here), loaded
// from beside this program. That it finds no adapter there, the whole-program and the installer
// tests show through the utility.
#include <gtest/gtest.h>

#include <windows.h>

#include "tandemix_hid.h"

// Another of our programs in the middle of a transfer holds the session's lock: an open on
// another thread waits, then says busy; once the lock is given back, it goes on to the search.
TEST(HidRealStackTest, AnOpenWaitsForAnotherProgramsTransferThenSaysBusy) {
    HANDLE lock = CreateMutexW(nullptr, TRUE, kTransferLockName);
    auto openOnce = [](void* result) WINAPI -> DWORD {
        DeviceRecord device;
        *static_cast<int*>(result) = OpenHidDevice(kAdapterVendorId, 6, 6, &device);
        CloseHidDevice(&device);
        return 0;
    };
    int result = 0;
    HANDLE opener = CreateThread(nullptr, 0, openOnce, &result, 0, nullptr);
    EXPECT_EQ(WaitForSingleObject(opener, 1000), WAIT_TIMEOUT) << "it waits";
    EXPECT_EQ(WaitForSingleObject(opener, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(result, kOpenResultBusy);
    ReleaseMutex(lock);
    CloseHandle(lock);
    openOnce(&result);
    EXPECT_NE(result, kOpenResultBusy) << "the search found no adapter";
    CloseHandle(opener);
}
