// Menu 1002: the File and Help menus, their items in display order, as a standard template.
#include "tests/res/resource_file.h"

#include <gtest/gtest.h>

namespace {

const UINT kSeparator = 0xFFFFFFFF; // stands for "no id" in the tables below

struct MenuEntry {
    const char* text; // NULL for a separator
    UINT id;
};

const MenuEntry kFileMenu[] = {
    {"&New\tCtrl+N", 1003},  {nullptr, kSeparator}, {"&Open\tCtrl+O", 1005},
    {"&Save\tCtrl+S", 1004}, {nullptr, kSeparator}, {"E&xit", 1006},
};
const MenuEntry kHelpMenu[] = {
    {"&About", 1501},
};

struct BarEntry {
    const char* text;
    const MenuEntry* items;
    int count;
};
const BarEntry kMenuBar[] = {
    {"&File", kFileMenu, sizeof(kFileMenu) / sizeof(kFileMenu[0])},
    {"&Help", kHelpMenu, sizeof(kHelpMenu) / sizeof(kHelpMenu[0])},
};
const int kBarCount = sizeof(kMenuBar) / sizeof(kMenuBar[0]);

struct LoadedItem {
    UINT type;
    UINT state;
    UINT id;
    HMENU submenu;
    std::string text;
};

LoadedItem ItemOf(HMENU menu, int position) {
    char text[64] = "";
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof(text);
    if (!GetMenuItemInfoA(menu, position, TRUE, &info)) {
        return LoadedItem{0xFFFFFFFF, 0xFFFFFFFF, 0, NULL, "(no item)"};
    }
    return LoadedItem{info.fType, info.fState, info.wID, info.hSubMenu, text};
}

class Menu : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
        menu = LoadMenuA(TandemixModule(), MAKEINTRESOURCEA(1002));
        ASSERT_NE(nullptr, menu);
    }
    void TearDown() override {
        if (menu != NULL) {
            DestroyMenu(menu);
        }
    }
    HMENU menu = NULL;
};

TEST_F(Menu, TheBarHoldsFileThenHelpAsEnabledPopups) {
    ASSERT_EQ(kBarCount, GetMenuItemCount(menu));
    for (int i = 0; i < kBarCount; ++i) {
        LoadedItem item = ItemOf(menu, i);
        EXPECT_EQ(kMenuBar[i].text, item.text) << "menu " << i;
        EXPECT_EQ(UINT(MFT_STRING), item.type) << kMenuBar[i].text;
        EXPECT_EQ(UINT(MFS_ENABLED), item.state) << kMenuBar[i].text;
        EXPECT_NE(nullptr, item.submenu) << kMenuBar[i].text;
        char shown[64] = "";
        GetMenuStringA(menu, i, shown, sizeof(shown), MF_BYPOSITION);
        EXPECT_STREQ(kMenuBar[i].text, shown);
    }
}

TEST_F(Menu, EachMenuListsItsItemsInOrderEnabledAndUnchecked) {
    ASSERT_EQ(kBarCount, GetMenuItemCount(menu));
    for (int position = 0; position < kBarCount; ++position) {
        const BarEntry& bar = kMenuBar[position];
        HMENU submenu = GetSubMenu(menu, position);
        ASSERT_NE(nullptr, submenu) << bar.text;
        ASSERT_EQ(bar.count, GetMenuItemCount(submenu)) << bar.text;
        for (int i = 0; i < bar.count; ++i) {
            const MenuEntry& entry = bar.items[i];
            LoadedItem item = ItemOf(submenu, i);
            SCOPED_TRACE(std::string(bar.text) + " item " + std::to_string(i));
            EXPECT_EQ(nullptr, item.submenu);
            if (entry.text == nullptr) {
                // The menu manager itself marks separators greyed and disabled.
                EXPECT_EQ(UINT(MFT_SEPARATOR), item.type);
                EXPECT_EQ(0u, item.state & MFS_CHECKED);
                continue;
            }
            EXPECT_EQ(UINT(MFT_STRING), item.type);
            EXPECT_EQ(UINT(MFS_ENABLED | MFS_UNCHECKED), item.state);
            EXPECT_EQ(entry.id, item.id);
            EXPECT_EQ(entry.text, item.text);
            char shown[64] = "";
            GetMenuStringA(submenu, entry.id, shown, sizeof(shown), MF_BYCOMMAND);
            EXPECT_STREQ(entry.text, shown);
        }
    }
}

// The raw template: a standard menu (header version 0, no extra header bytes), where a
// popup has no id, MF_END (0x80) closes each level, and a separator is flags 0, id 0, "".
struct TemplateItem {
    WORD flags;
    WORD id; // absent for popups
    const char* text;
};
const TemplateItem kTemplate[] = {
    {0x10, 0, "&File"},
    {0x00, 1003, "&New\tCtrl+N"},
    {0x00, 0, ""},
    {0x00, 1005, "&Open\tCtrl+O"},
    {0x00, 1004, "&Save\tCtrl+S"},
    {0x00, 0, ""},
    {0x80, 1006, "E&xit"},
    {0x90, 0, "&Help"},
    {0x80, 1501, "&About"},
};

TEST(MenuTemplate, IsAStandardTemplateOfExactlyTheseItems) {
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    RawResource menu = FindRawResource(MAKEINTRESOURCEA(4), 1002);
    ASSERT_NE(nullptr, menu.bytes);
    ResourceReader reader = StartReading(menu);
    EXPECT_EQ(0, ReadWord(reader)) << "version";
    EXPECT_EQ(0, ReadWord(reader)) << "header size";
    for (const TemplateItem& expected : kTemplate) {
        SCOPED_TRACE(expected.text);
        WORD flags = ReadWord(reader);
        EXPECT_EQ(expected.flags, flags);
        if ((flags & MF_POPUP) == 0) {
            EXPECT_EQ(expected.id, ReadWord(reader));
        }
        EXPECT_EQ(expected.text, ReadWideString(reader));
    }
    EXPECT_FALSE(reader.overrun);
    EXPECT_EQ(menu.size, reader.offset) << "bytes after the last item";
}

} // namespace
