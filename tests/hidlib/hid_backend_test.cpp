// The Windows backend over the scripted HID stack: which interface it keeps, how exchanges end
// and within which time, and that it gives back every handle, lock and slot, also when the
// system finishes a request late.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <array>
#include <thread>
#include <tuple>

#include "adapter_slots.h"
#include "fake_hid_stack.h"
#include "hid_windows.h"
#include "system_library.h"

static unsigned char command[kExchangeAreaSize] = {0x02, 0x82, 0x00, 0x10};
constexpr FakeInterface kAdapter = {kAdapterVendorId, 0xFF00, 7, 7, false};
constexpr FakeInterface kHeldAdapter = {kAdapterVendorId, 0xFF00, 7, 7, true};
constexpr FakeInterface kKeyboard = {kAdapterVendorId, 0x0001, 7, 7, true}; // the same vendor
constexpr FakeInterface kOtherVendor = {kAdapterVendorId + 1, 0xFF00, 7, 7, false},
                        kLowerPage = {kAdapterVendorId, 0xFEFF, 7, 7, false},
                        kNoIdByte = {kAdapterVendorId, 0xFF00, 6, 7, false},
                        kLonger = {kAdapterVendorId, 0xFF00, 7, 8, false},
                        kTopPage = {kAdapterVendorId, 0xFFFF, 7, 7, false};
static DeviceRecord device;
static unsigned char receive[kExchangeAreaSize];

int Open(int inputLength = 6) {
    return OpenAdapter(WindowsHidBackend(kFakeHidCalls), kAdapterVendorId, 6, inputLength, &device);
}

int Exchange() {
    return ExchangeWithAdapter(WindowsHidBackend(kFakeHidCalls), &device, command, receive);
}

// What the stack holds, its interfaces, the input length asked for, the result, the interface kept.
const std::tuple<const char*, std::array<FakeInterface, 3>, int, int, int> kOpenRows[] = {
    {"no HID devices", {}, 6, kOpenNotFound, -1},
    {"a keyboard collection", {kKeyboard}, 6, kOpenNotFound, -1},
    {"seven-byte input reports asked for", {kAdapter}, 7, kOpenUnsupportedReports, -1},
    {"another vendor's, a lower page's", {kOtherVendor, kLowerPage}, 6, kOpenNotFound, -1},
    {"odd report sizes, then page FFFF", {kNoIdByte, kLonger, kTopPage}, 6, kOpenDone, 2},
    {"several interfaces", {kKeyboard, kAdapter, kAdapter}, 6, kOpenDone, 1},
    {"an adapter held elsewhere", {kHeldAdapter, kKeyboard}, 6, kOpenRefused, -1},
};

TEST(HidBackendTest, OpenKeepsTheFirstAdapterCollectionAndOpensNothingElseForWriting) {
    for (auto [what, interfaces, askedInputLength, result, kept] : kOpenRows) {
        SCOPED_TRACE(what);
        fakeHid = FakeHid{};
        fakeHid.interfaces = interfaces;
        EXPECT_EQ(Open(askedInputLength), result);
        EXPECT_EQ(Exchange(), result == kOpenDone ? kExchangeDone : kExchangeNotOpen);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(fakeHid.readWriteOpens[i],
                      i == kept || (interfaces[i].refusesReadWrite && interfaces[i].usagePage > 1))
                << "interface " << i;
        CloseAdapter(WindowsHidBackend(kFakeHidCalls), &device);
        EXPECT_EQ(fakeHid.handlesOpen, 0);
        EXPECT_EQ(fakeHid.lockHeld, 0);
    }
}

// One after the other on the same open adapter, each with a command of its own: what the adapter
// does, and the result.
const std::tuple<const char*, void (*)(FakeAdapter&), int> kExchangeRows[] = {
    {"a prompt answer", [](FakeAdapter&) {}, kExchangeDone},
    {"a short answer", [](FakeAdapter& a) { a.answerBytes = 6; }, kExchangeMalformedAnswer},
    {"a silent adapter", [](FakeAdapter& a) { a.answerDelayMs = kFakeNever; }, kExchangeTimedOut},
    {"the adapter pulled out", [](FakeAdapter& a) { a.flushFails = true; }, kExchangeFlushFailed},
    {"an answer too late", [](FakeAdapter& a) { a.answerDelayMs = 520; }, kExchangeTimedOut},
    {"the next command while that answer arrives", [](FakeAdapter& a) { a.answerDelayMs = 50; },
     kExchangeDone},
    {"a cancel that takes 150 ms",
     [](FakeAdapter& a) { a.answerDelayMs = kFakeNever, a.cancelDelayMs = 150; },
     kExchangeTimedOut},
    {"the next command", [](FakeAdapter&) {}, kExchangeDone},
    {"a read that outlives its cancel",
     [](FakeAdapter& a) { a.answerDelayMs = a.cancelDelayMs = kFakeNever; }, kExchangeTimedOut},
    {"the read still running", [](FakeAdapter&) {}, kExchangeBusy},
};

TEST(HidBackendTest, ExchangesEndInTheirResultsWithinTheTimeLimits) {
    fakeHid = FakeHid{};
    ASSERT_EQ(Open(), kOpenDone);
    for (auto [what, script, result] : kExchangeRows) {
        SCOPED_TRACE(what);
        fakeHid.adapter = FakeAdapter{};
        script(fakeHid.adapter);
        ++command[3];
        memset(receive, 0xEE, sizeof(receive));
        long long startMs = fakeHid.nowMs;
        EXPECT_EQ(Exchange(), result);
        EXPECT_LE(fakeHid.nowMs - startMs, kAnswerTimeoutMs + 2 * kCancelTimeoutMs);
        EXPECT_EQ(receive[3], result == kExchangeDone ? command[3] : 0xEE) << "its own answer";
        EXPECT_EQ(receive[4], result == kExchangeDone ? kFakeRegisterValue : 0xEE);
    }
    EXPECT_EQ(CloseAdapter(WindowsHidBackend(kFakeHidCalls), &device), kCloseDone);
    EXPECT_EQ(fakeHid.handlesOpen, 0);
    // Its slot is not handed out again, so the late finish cannot land in the next open's memory.
    ASSERT_EQ(Open(), kOpenDone);
    EXPECT_EQ(Exchange(), kExchangeDone);
    EXPECT_EQ(fakeHid.requestsOnBusyMemory, 0);
    CloseAdapter(WindowsHidBackend(kFakeHidCalls), &device);
}

// A lock held by another program, and one made by a program whose rights refuse ours (another
// user's): both are the adapter in use.
TEST(HidBackendTest, OurProgramsTakeTurnsThroughTheTransferLock) {
    for (bool denied : {false, true}) {
        fakeHid = FakeHid{};
        (denied ? fakeHid.lockDenied : fakeHid.lockHeldElsewhere) = true;
        EXPECT_EQ(Open(), kOpenBusy);
        EXPECT_EQ(fakeHid.nowMs, denied ? 0 : static_cast<long long>(kTransferLockWaitMs));
        EXPECT_EQ(fakeHid.readWriteOpens[0] + fakeHid.handlesOpen, 0) << "nothing opened or left";
    }
    fakeHid = FakeHid{};
    ASSERT_EQ(Open(), kOpenDone);
    EXPECT_EQ(fakeHid.lockHeld, 1) << "from the open";
    // Every program of the user may wait for the lock and give it back, elevated or not.
    EXPECT_EQ(fakeHid.lockAccessAsked, static_cast<DWORD>(SYNCHRONIZE | SEMAPHORE_MODIFY_STATE));
    EXPECT_EQ(fakeHid.lockAccessGranted, fakeHid.lockAccessAsked);
    // Closed on another thread than the open's, the lock goes back for a third program.
    std::thread([] { CloseAdapter(WindowsHidBackend(kFakeHidCalls), &device); }).join();
    EXPECT_EQ(fakeHid.lockHeld, 0) << "to the close";
}

// Closing the handle cancels its requests again: a read that outlived its cancel and finishes
// then leaves its slot free for the next open, so that opens never run out of slots.
TEST(HidBackendTest, ARequestThatFinishesAtTheCloseFreesItsSlot) {
    fakeHid = FakeHid{};
    fakeHid.adapter.answerDelayMs = fakeHid.adapter.cancelDelayMs = kFakeNever;
    fakeHid.adapter.closeFinishMs = 20;
    for (int open = 0; open <= kAdapterSlotCount; ++open) {
        ASSERT_EQ(Open(), kOpenDone) << "open " << open;
        EXPECT_EQ(Exchange(), kExchangeTimedOut);
        CloseAdapter(WindowsHidBackend(kFakeHidCalls), &device);
    }
}

// The first open's fill of the system-call table held up in the system's first load of a
// library, while this thread asks for the table too: it gets it only once complete.
TEST(HidBackendTest, AThreadAtTheFirstOpenWaitsUntilTheSystemCallsAreComplete) {
    static HANDLE loading = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    void(CALLBACK * holdUp)(ULONG, const void*, void*) = [](ULONG, const void*, void*) CALLBACK {
        if (WaitForSingleObject(loading, 0) == WAIT_TIMEOUT) {
            SetEvent(loading);
            Sleep(200);
        }
    };
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    void* cookie = nullptr;
    FindSystemFunction<LONG(NTAPI*)(ULONG, decltype(holdUp), void*, void**)>(
        ntdll, "LdrRegisterDllNotification")(0, holdUp, nullptr, &cookie);
    std::thread first([] { WindowsHidCalls(); });
    EXPECT_EQ(WaitForSingleObject(loading, 10000), WAIT_OBJECT_0) << "no library loaded";
    const HidSystemCalls seen = WindowsHidCalls(); // as the table stands when it returns
    first.join();
    FindSystemFunction<LONG(NTAPI*)(void*)>(ntdll, "LdrUnregisterDllNotification")(cookie);
    void* const* entry = reinterpret_cast<void* const*>(&seen);
    EXPECT_EQ(std::count(entry, entry + sizeof(seen) / sizeof(*entry), nullptr), 0);
}

// A host that unloads the library while a read of it outlives its cancel: the system finishes
// the read later, into the library's memory, which must still be there.
TEST(HidBackendTest, AHostUnloadingTheLibraryKeepsItForAStuckRequest) {
    fakeHid = FakeHid{};
    fakeHid.adapter.answerDelayMs = kFakeNever;
    fakeHid.adapter.cancelDelayMs = kCancelTimeoutMs; // just past the library's wait for it
    HMODULE library = LoadLibraryA("hid_backend_dll.dll");
    ASSERT_NE(library, nullptr);
    auto exchange = FindSystemFunction<int (*)(const HidSystemCalls*)>(library, "Exchange");
    EXPECT_EQ(exchange(&kFakeHidCalls), kExchangeTimedOut);
    EXPECT_GE(fakeHid.pins, 1) << "pinned from the open on";
    FreeLibrary(library);
    ASSERT_EQ(GetModuleHandleA("hid_backend_dll.dll"), library);
    kFakeHidCalls.WaitForSingleObject(kFakeHidCalls.CreateEventW(nullptr, TRUE, FALSE, nullptr), 2);
}
