// Our Tandemix.dll over the real HID stack of a machine with no adapter (Wine's, here): the open
// fails, the record stays safe, and the interfaces it looked at are all closed again.
#include <gtest/gtest.h>

#include <string.h>

#include "hid_windows.h"

namespace {

// The real calls, counted: which files were opened and closed, which vendors were seen.
struct RealCallCounts {
    int filesOpened;
    int filesClosed;
    int listsOpened;
    int listsClosed;
    int vendorsSeen;
    USHORT vendors[32];
};

RealCallCounts counts;

HDEVINFO WINAPI CountedGetClassDevs(const GUID* guid, PCWSTR enumerator, HWND parent, DWORD flags) {
    HDEVINFO list = SetupDiGetClassDevsW(guid, enumerator, parent, flags);
    counts.listsOpened += list != INVALID_HANDLE_VALUE ? 1 : 0;
    return list;
}

BOOL WINAPI CountedDestroyList(HDEVINFO list) {
    BOOL destroyed = SetupDiDestroyDeviceInfoList(list);
    counts.listsClosed += destroyed ? 1 : 0;
    return destroyed;
}

HANDLE WINAPI CountedCreateFile(LPCWSTR path, DWORD access, DWORD share,
                                LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                HANDLE templateFile) {
    HANDLE file = CreateFileW(path, access, share, security, disposition, flags, templateFile);
    counts.filesOpened += file != INVALID_HANDLE_VALUE ? 1 : 0;
    return file;
}

BOOL WINAPI CountedCloseHandle(HANDLE handle) {
    BOOL closed = CloseHandle(handle);
    counts.filesClosed += closed ? 1 : 0;
    return closed;
}

BOOLEAN NTAPI CountedGetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes) {
    BOOLEAN read = HidD_GetAttributes(device, attributes);
    if (read && counts.vendorsSeen < 32)
        counts.vendors[counts.vendorsSeen++] = attributes->VendorID;
    return read;
}

HidSystemCalls CountedWindowsCalls() {
    HidSystemCalls calls = kWindowsHidCalls;
    calls.SetupDiGetClassDevsW = CountedGetClassDevs;
    calls.SetupDiDestroyDeviceInfoList = CountedDestroyList;
    calls.CreateFileW = CountedCreateFile;
    calls.CloseHandle = CountedCloseHandle;
    calls.HidD_GetAttributes = CountedGetAttributes;
    return calls;
}

constexpr USHORT kWineVendorId = 0x845E;

TEST(HidWindowsTest, TheLibraryFindsNoAdapterAndItsRecordIsSafe) {
    DeviceRecord device;
    memset(&device, 0x77, sizeof(device));
    EXPECT_NE(OpenHidDevice(kAdapterVendorId, kAdapterOutputReportLength, kAdapterInputReportLength,
                            &device),
              0);
    unsigned char send[kExchangeAreaSize] = {0x02, 0x82, 0x00, 0x10};
    unsigned char receive[kExchangeAreaSize];
    memset(receive, 0xEE, sizeof(receive));
    EXPECT_NE(WriteHidDevice(&device, send, receive), 0);
    for (unsigned char byte : receive)
        EXPECT_EQ(byte, 0xEE);
    CloseHidDevice(&device);
    CloseHidDevice(&device);
    DeviceRecord zeroed = {};
    CloseHidDevice(&zeroed);
}

TEST(HidWindowsTest, WinesOwnKeyboardAndMouseAreLookedAtAndLetGo) {
    counts = RealCallCounts{};
    HidSystemCalls calls = CountedWindowsCalls();
    DeviceRecord device;
    // Even under their own vendor ID they are no adapter: their usage page is not vendor-defined.
    EXPECT_EQ(OpenAdapter(calls, kWineVendorId, 6, 6, &device), kOpenNotFound);
    EXPECT_EQ(counts.listsOpened, 1);
    EXPECT_EQ(counts.listsClosed, 1);
    EXPECT_GE(counts.filesOpened, 1) << "Wine lists HID interfaces of its own";
    EXPECT_EQ(counts.filesClosed, counts.filesOpened);
    bool wineDeviceSeen = false;
    for (int i = 0; i < counts.vendorsSeen; ++i)
        wineDeviceSeen = wineDeviceSeen || counts.vendors[i] == kWineVendorId;
    EXPECT_TRUE(wineDeviceSeen);
    EXPECT_EQ(CloseAdapter(calls, &device), kCloseNothingOpen);
}

} // namespace
