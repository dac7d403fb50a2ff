// The raw templates of dialogs 1500, 1600 and 1610: every field of the dialog and its controls.
#include "tests/res/resource_file.h"

#include <gtest/gtest.h>

namespace {

const WORD kButtonClass = 0x0080;
const WORD kStaticClass = 0x0082;

struct ControlTemplate {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    WORD id;
    WORD classOrdinal;
    const char* text;
    WORD creationDataSize;
};

struct DialogTemplate {
    WORD id;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    const char* title;
    WORD pointSize;
    const char* typeface;
    int controlCount;
    ControlTemplate controls[2];
};

// Names a row in failure messages instead of dumping its bytes.
void PrintTo(const DialogTemplate& row, std::ostream* out) {
    *out << "dialog " << row.id;
}

const DWORD kAboutStyle = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU |
                          WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
const DWORD kProgressStyle = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION;
const ControlTemplate kProgressText = {WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT,
                                       0,
                                       4,
                                       4,
                                       160,
                                       28,
                                       1601,
                                       kStaticClass,
                                       "Initializing...",
                                       0};

const DialogTemplate kDialogs[] = {
    {1500,
     kAboutStyle,
     0,
     20,
     20,
     168,
     56,
     "About Velomark",
     10,
     "Arial",
     2,
     {{WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 60, 38, 48, 14, IDOK, kButtonClass,
       "OK", 0},
      {WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | SS_CENTER, 0, 4, 4, 160, 28, 1501,
       kStaticClass, "Tandemix.exe version 23160.0\nCopyright (C) Velomark\nwww.velomark.example",
       0}}},
    {1600,
     kProgressStyle,
     WS_EX_TOPMOST,
     20,
     20,
     140,
     25,
     "Writing Tandemix",
     8,
     "Tahoma",
     1,
     {kProgressText}},
    {1610,
     kProgressStyle,
     WS_EX_TOPMOST,
     20,
     20,
     140,
     25,
     "Reading Tandemix",
     8,
     "Tahoma",
     1,
     {kProgressText}},
};

class DialogTemplateOf : public ::testing::TestWithParam<DialogTemplate> {};

TEST_P(DialogTemplateOf, HasEveryFieldOfTheDialogAndItsControls) {
    const DialogTemplate& expected = GetParam();
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    RawResource raw = FindRawResource(MAKEINTRESOURCEA(5), expected.id);
    ASSERT_NE(nullptr, raw.bytes);
    ResourceReader reader = StartReading(raw);

    DWORD style = ReadDword(reader);
    // An extended template would start with version 1 and signature 0xFFFF.
    ASSERT_NE(0xFFFF0001u, style) << "an extended (DIALOGEX) template";
    EXPECT_EQ(expected.style, style) << std::hex << style;
    EXPECT_EQ(expected.exStyle, ReadDword(reader));
    WORD controlCount = ReadWord(reader);
    ASSERT_EQ(expected.controlCount, controlCount);
    EXPECT_EQ(expected.x, ReadShort(reader));
    EXPECT_EQ(expected.y, ReadShort(reader));
    EXPECT_EQ(expected.cx, ReadShort(reader));
    EXPECT_EQ(expected.cy, ReadShort(reader));
    NameOrOrdinal menu = ReadNameOrOrdinal(reader);
    EXPECT_FALSE(menu.isOrdinal) << "menu " << menu.ordinal;
    EXPECT_EQ("", menu.name) << "no menu";
    NameOrOrdinal windowClass = ReadNameOrOrdinal(reader);
    EXPECT_FALSE(windowClass.isOrdinal) << "class " << windowClass.ordinal;
    EXPECT_EQ("", windowClass.name) << "the default dialog class";
    EXPECT_EQ(expected.title, ReadWideString(reader));
    EXPECT_EQ(expected.pointSize, ReadWord(reader));
    EXPECT_EQ(expected.typeface, ReadWideString(reader));

    for (int i = 0; i < controlCount; ++i) {
        const ControlTemplate& control = expected.controls[i];
        SCOPED_TRACE(::testing::Message() << "control " << i << " (id " << control.id << ")");
        SkipToDword(reader);
        DWORD controlStyle = ReadDword(reader);
        EXPECT_EQ(control.style, controlStyle) << std::hex << controlStyle;
        EXPECT_EQ(control.exStyle, ReadDword(reader));
        EXPECT_EQ(control.x, ReadShort(reader));
        EXPECT_EQ(control.y, ReadShort(reader));
        EXPECT_EQ(control.cx, ReadShort(reader));
        EXPECT_EQ(control.cy, ReadShort(reader));
        EXPECT_EQ(control.id, ReadWord(reader));
        NameOrOrdinal controlClass = ReadNameOrOrdinal(reader);
        EXPECT_TRUE(controlClass.isOrdinal) << "class \"" << controlClass.name << "\"";
        EXPECT_EQ(control.classOrdinal, controlClass.ordinal);
        NameOrOrdinal text = ReadNameOrOrdinal(reader);
        EXPECT_FALSE(text.isOrdinal);
        EXPECT_EQ(control.text, text.name);
        EXPECT_EQ(control.creationDataSize, ReadWord(reader));
    }
    EXPECT_FALSE(reader.overrun);
    SkipToDword(reader);
    EXPECT_EQ(raw.size, reader.offset) << "bytes after the last control";
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogTemplateOf, ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<DialogTemplate>& info) {
                             return "Dialog" + std::to_string(info.param.id);
                         });

} // namespace
