// The dialogs as created windows: the progress windows stay on top, cannot be closed from their
// caption and clip their text; the About box keeps its close box and OK as the default button.
#include "tests/res/resource_file.h"

#include <gtest/gtest.h>

namespace {

INT_PTR CALLBACK TrivialDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

struct CreatedDialog {
    WORD id;
    const char* title;
    bool topmost;
    bool closeBox;
    WORD textControl;
    const char* typeface;
    int pointSize;
};

// Names a row in failure messages instead of dumping its bytes.
void PrintTo(const CreatedDialog& row, std::ostream* out) {
    *out << "dialog " << row.id;
}

const CreatedDialog kCreated[] = {
    {1500, "About Velomark", false, true, 1501, "Arial", 10},
    {1600, "Writing Tandemix", true, false, 1601, "Tahoma", 8},
    {1610, "Reading Tandemix", true, false, 1601, "Tahoma", 8},
};

class CreatedDialogOf : public ::testing::TestWithParam<CreatedDialog> {
  protected:
    void SetUp() override {
        ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
        dialog = CreateDialogParamA(TandemixModule(), MAKEINTRESOURCEA(GetParam().id), NULL,
                                    TrivialDialogProc, 0);
        ASSERT_NE(nullptr, dialog);
    }
    void TearDown() override {
        if (dialog != NULL) {
            DestroyWindow(dialog);
        }
    }
    // A place given in dialog units, in client pixels: the dialog manager maps a position
    // and a size each on their own, so the far edge may round differently from a mapped edge.
    RECT Pixels(int x, int y, int cx, int cy) {
        RECT place = {x, y, cx, cy};
        MapDialogRect(dialog, &place);
        return RECT{place.left, place.top, place.left + place.right, place.top + place.bottom};
    }
    HWND dialog = NULL;
};

void ExpectSameRect(const RECT& expected, const RECT& actual, const char* what) {
    EXPECT_EQ(expected.left, actual.left) << what;
    EXPECT_EQ(expected.top, actual.top) << what;
    EXPECT_EQ(expected.right, actual.right) << what;
    EXPECT_EQ(expected.bottom, actual.bottom) << what;
}

TEST_P(CreatedDialogOf, StaysOnTopAndHasACloseBoxAsListed) {
    const CreatedDialog& expected = GetParam();
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    LONG exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
    EXPECT_EQ(expected.topmost, (exStyle & WS_EX_TOPMOST) != 0);
    EXPECT_EQ(expected.closeBox, (style & WS_SYSMENU) != 0);
    EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
    EXPECT_FALSE(IsWindowVisible(dialog)) << "shown only when the program shows it";
    char title[64] = "";
    GetWindowTextA(dialog, title, sizeof(title));
    EXPECT_STREQ(expected.title, title);
}

TEST_P(CreatedDialogOf, UsesTheTemplateFont) {
    const CreatedDialog& expected = GetParam();
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, font);
    LOGFONTA logFont = {};
    ASSERT_NE(0, GetObjectA(font, sizeof(logFont), &logFont));
    EXPECT_STREQ(expected.typeface, logFont.lfFaceName);
    HDC screen = GetDC(NULL);
    int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    EXPECT_EQ(-MulDiv(expected.pointSize, pixelsPerInch, 72), logFont.lfHeight);
}

TEST_P(CreatedDialogOf, TextControlIsAStaticChild) {
    HWND text = GetDlgItem(dialog, GetParam().textControl);
    ASSERT_NE(nullptr, text);
    char className[16] = "";
    GetClassNameA(text, className, sizeof(className));
    EXPECT_STREQ("Static", className);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, CreatedDialogOf, ::testing::ValuesIn(kCreated),
                         [](const ::testing::TestParamInfo<CreatedDialog>& info) {
                             return "Dialog" + std::to_string(info.param.id);
                         });

class ProgressWindowOf : public CreatedDialogOf {};

// The client area is the template's 140 x 25 units; the text is 160 x 28 units from (4, 4),
// so the client edges cut it to the 136 x 21 units that show.
TEST_P(ProgressWindowOf, ClipsItsTextAtTheRightAndBottomEdges) {
    RECT client;
    GetClientRect(dialog, &client);
    ExpectSameRect(Pixels(0, 0, 140, 25), client, "client area");

    HWND text = GetDlgItem(dialog, 1601);
    ASSERT_NE(nullptr, text);
    RECT control;
    GetWindowRect(text, &control);
    MapWindowPoints(NULL, dialog, reinterpret_cast<POINT*>(&control), 2);
    ExpectSameRect(Pixels(4, 4, 160, 28), control, "progress text");
    EXPECT_GT(control.right, client.right);
    EXPECT_GT(control.bottom, client.bottom);

    RECT shown;
    IntersectRect(&shown, &control, &client);
    RECT shownUnits = Pixels(0, 0, 136, 21);
    EXPECT_NEAR(shownUnits.right, shown.right - shown.left, 1) << "visible width";
    EXPECT_NEAR(shownUnits.bottom, shown.bottom - shown.top, 1) << "visible height";

    char initial[32] = "";
    GetWindowTextA(text, initial, sizeof(initial));
    EXPECT_STREQ("Initializing...", initial);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, ProgressWindowOf, ::testing::Values(kCreated[1], kCreated[2]),
                         [](const ::testing::TestParamInfo<CreatedDialog>& info) {
                             return "Dialog" + std::to_string(info.param.id);
                         });

TEST(AboutBox, OkIsTheDefaultButton) {
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    HWND about =
        CreateDialogParamA(TandemixModule(), MAKEINTRESOURCEA(1500), NULL, TrivialDialogProc, 0);
    ASSERT_NE(nullptr, about);
    LRESULT defaultId = SendMessageA(about, DM_GETDEFID, 0, 0);
    EXPECT_EQ(DC_HASDEFID, HIWORD(defaultId));
    EXPECT_EQ(IDOK, LOWORD(defaultId));
    char text[16] = "";
    GetDlgItemTextA(about, IDOK, text, sizeof(text));
    EXPECT_STREQ("OK", text);
    DestroyWindow(about);
}

} // namespace
