// Accelerator table 1051: Ctrl+N, Ctrl+S and Ctrl+O, and no other key combination.
#include "tests/res/resource_file.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Accelerator {
    BYTE flags;
    WORD key;
    WORD command;
};

const BYTE kCtrlKey = FVIRTKEY | FCONTROL;
const Accelerator kTable[] = {
    {kCtrlKey, 0x4E, 1003}, // Ctrl+N, New
    {kCtrlKey, 0x53, 1004}, // Ctrl+S, Save
    {kCtrlKey, 0x4F, 1005}, // Ctrl+O, Open
};
const int kCount = sizeof(kTable) / sizeof(kTable[0]);

HACCEL LoadTable() {
    return LoadAcceleratorsA(TandemixModule(), MAKEINTRESOURCEA(1051));
}

TEST(Accelerators, CopiedTableHasTheThreeEntriesInOrder) {
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    HACCEL table = LoadTable();
    ASSERT_NE(nullptr, table);
    ASSERT_EQ(kCount, CopyAcceleratorTableA(table, NULL, 0));
    ACCEL copied[kCount + 1] = {};
    ASSERT_EQ(kCount, CopyAcceleratorTableA(table, copied, kCount + 1));
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(kTable[i].flags, copied[i].fVirt) << "entry " << i;
        EXPECT_EQ(kTable[i].key, copied[i].key) << "entry " << i;
        EXPECT_EQ(kTable[i].command, copied[i].cmd) << "entry " << i;
    }
    DestroyAcceleratorTable(table);
}

// In the file each entry is flags, key, command and a padding word; the last entry's flags
// also carry the end-of-table bit 0x80.
TEST(Accelerators, RawTableMarksOnlyTheLastEntryAsTheEnd) {
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    RawResource raw = FindRawResource(MAKEINTRESOURCEA(9), 1051);
    ASSERT_EQ(DWORD(8 * kCount), raw.size);
    ResourceReader reader = StartReading(raw);
    for (int i = 0; i < kCount; ++i) {
        WORD endFlag = i == kCount - 1 ? 0x80 : 0;
        EXPECT_EQ(kTable[i].flags | endFlag, ReadWord(reader)) << "entry " << i;
        EXPECT_EQ(kTable[i].key, ReadWord(reader)) << "entry " << i;
        EXPECT_EQ(kTable[i].command, ReadWord(reader)) << "entry " << i;
        EXPECT_EQ(0, ReadWord(reader)) << "entry " << i;
    }
}

std::vector<WPARAM> translatedCommands;

LRESULT CALLBACK RecordCommandProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        translatedCommands.push_back(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateRecordingWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordCommandProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "TandemixAcceleratorProbe";
    RegisterClassA(&windowClass);
    return CreateWindowA("TandemixAcceleratorProbe", "", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL,
                         GetModuleHandleA(NULL), NULL);
}

// Holds down exactly the given modifier keys for this thread, as TranslateAccelerator reads them.
void HoldModifiers(bool shift, bool control, bool alt) {
    BYTE keys[256] = {};
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = control ? 0x80 : 0;
    keys[VK_MENU] = alt ? 0x80 : 0;
    SetKeyboardState(keys);
}

// Every key with every combination of Shift, Ctrl and Alt: only the three Ctrl keys translate,
// each to its own command, marked as coming from an accelerator by 1 in the high word.
TEST(Accelerators, OnlyCtrlNCtrlSAndCtrlOTranslate) {
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    HACCEL table = LoadTable();
    ASSERT_NE(nullptr, table);
    HWND window = CreateRecordingWindow();
    ASSERT_NE(nullptr, window);
    for (int modifiers = 0; modifiers < 8; ++modifiers) {
        bool shift = modifiers & 1, control = modifiers & 2, alt = modifiers & 4;
        HoldModifiers(shift, control, alt);
        for (WORD key = 1; key < 256; ++key) {
            translatedCommands.clear();
            MSG message = {window, alt ? UINT(WM_SYSKEYDOWN) : UINT(WM_KEYDOWN), key, 1, 0, {}};
            BOOL translated = TranslateAcceleratorA(window, table, &message);
            WPARAM expected = 0;
            for (const Accelerator& accelerator : kTable) {
                if (control && !shift && !alt && key == accelerator.key) {
                    expected = MAKEWPARAM(accelerator.command, 1);
                }
            }
            SCOPED_TRACE(::testing::Message() << "key 0x" << std::hex << key << " shift " << shift
                                              << " ctrl " << control << " alt " << alt);
            EXPECT_EQ(expected != 0, translated != 0);
            EXPECT_EQ(expected != 0 ? std::vector<WPARAM>{expected} : std::vector<WPARAM>{},
                      translatedCommands);
        }
    }
    HoldModifiers(false, false, false);
    DestroyWindow(window);
    DestroyAcceleratorTable(table);
}

} // namespace
