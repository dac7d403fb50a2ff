// Start-up as the utility runs it: the distribution-disc warning, the refusal without an
// adapter, and the message loop's exit code.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include "app_state.h"
#include "startup.h"
#include "tests/app/app_harness.h"

namespace {

char fakeLabel[64];
char queriedRoot[MAX_PATH];
BOOL fakeQueryResult;

BOOL WINAPI FakeVolumeQuery(LPCSTR root, LPSTR label, DWORD labelSize, LPDWORD, LPDWORD, LPDWORD,
                            LPSTR, DWORD) {
    lstrcpynA(queriedRoot, root, sizeof(queriedRoot));
    if (fakeQueryResult)
        lstrcpynA(label, fakeLabel, static_cast<int>(labelSize));
    return fakeQueryResult;
}

class DistributionDisc : public ::testing::Test {
  protected:
    void SetUp() override {
        queryVolumeInformation = FakeVolumeQuery;
    }
    void TearDown() override {
        queryVolumeInformation = GetVolumeInformationA;
    }

    // Runs the check and reports whether the warning came up (answering it).
    bool Warns(const char* label, BOOL queryResult, SeenWindow* seen = nullptr) {
        lstrcpynA(fakeLabel, label, sizeof(fakeLabel));
        fakeQueryResult = queryResult;
        const Answer answer[] = {{"Tandemix Configuration Utility", IDOK, nullptr, 0, 700}};
        ModalAnswerer answerer(answer, 1);
        WarnIfRunFromDistributionDisc();
        answerer.Finish();
        if (seen)
            *seen = answerer.seen[0];
        return answerer.seen[0].found;
    }
};

TEST_F(DistributionDisc, WarnsOnlyForTheExactLabel) {
    SeenWindow seen;
    ASSERT_TRUE(Warns("Tandemix", TRUE, &seen));
    EXPECT_EQ(
        "Warning: The Tandemix programs must be copied to and run\nfrom its own folder on the "
        "PC's harddrive. The CD itself\nshould be reserved for backup purposes only.",
        seen.text);
    EXPECT_EQ(nullptr, seen.owner);
    EXPECT_EQ(nullptr, seen.icon);
    EXPECT_TRUE(seen.buttons[IDOK]);
    EXPECT_FALSE(seen.buttons[IDCANCEL]);

    char directory[MAX_PATH];
    GetCurrentDirectoryA(sizeof(directory), directory);
    EXPECT_STREQ(directory, queriedRoot); // passed on as it is, subfolder or root

    EXPECT_FALSE(Warns("tandemix", TRUE));
    EXPECT_FALSE(Warns("TANDEMIX", TRUE));
    EXPECT_FALSE(Warns("Tandemix ", TRUE));
    EXPECT_FALSE(Warns("", TRUE));
    EXPECT_FALSE(Warns("Tandemix", FALSE)); // the query failed: no warning
}

// A subfolder is no volume root, so the platform's own query fails there.
TEST(DistributionDiscOnThePlatform, ASubfolderIsNoVolumeRoot) {
    char label[255] = "unchanged";
    char fileSystem[255];
    EXPECT_FALSE(GetVolumeInformationA("C:\\windows\\", label, sizeof(label), nullptr, nullptr,
                                       nullptr, fileSystem, sizeof(fileSystem)));
}

TEST(StartUp, WithoutAnAdapterOnlyTheNotFoundBoxShowsAndTheExitCodeIsZero) {
    SimReset(SimulatedAdapter());
    SimulatedAdapter()->faults.absent = true;
    const Answer answer[] = {{"Tandemix Configuration Utility", IDOK, nullptr, 0, 5000}};
    ModalAnswerer answerer(answer, 1);
    int exitCode = RunUtility(GetModuleHandleA(nullptr), SW_SHOW);
    answerer.Finish();
    ASSERT_TRUE(answerer.seen[0].found);
    EXPECT_EQ(kNotFoundText, answerer.seen[0].text);
    EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), answerer.seen[0].icon);
    EXPECT_NE(nullptr, answerer.seen[0].owner); // the main window, never shown
    EXPECT_FALSE(answerer.seen[0].ownerWasVisible);
    EXPECT_FALSE(IsWindow(app.mainWindow));
    EXPECT_EQ(0, exitCode);
    EXPECT_EQ(nullptr, app.controlFont);
    EXPECT_EQ(1, SimCountCalls(SimulatedAdapter(), kSimCallOpen));
    EXPECT_EQ(1, SimCountCalls(SimulatedAdapter(), kSimCallClose));
    SimReset(SimulatedAdapter());
}

TEST(StartUp, WithAnAdapterTheWindowShowsAndClosingEndsTheLoop) {
    SimReset(SimulatedAdapter());
    bool wasVisible = false;
    DWORD uiThread = GetCurrentThreadId();
    std::thread closer([&] {
        for (int i = 0; i < 500 && !wasVisible; ++i) {
            HWND window = FindThreadWindow(uiThread, "TandemixloadClass", nullptr);
            wasVisible = window != nullptr;
            if (wasVisible)
                PostMessageA(window, WM_CLOSE, 0, 0);
            else
                Sleep(10);
        }
    });
    int exitCode = RunUtility(GetModuleHandleA(nullptr), SW_SHOW);
    closer.join();
    EXPECT_TRUE(wasVisible);
    EXPECT_EQ(0, exitCode);
    EXPECT_FALSE(IsWindow(app.mainWindow));
    EXPECT_EQ(0, SimCountCalls(SimulatedAdapter(), kSimCallExchange)); // the probe only
    EXPECT_EQ(1, SimCountCalls(SimulatedAdapter(), kSimCallClose));
}

} // namespace
