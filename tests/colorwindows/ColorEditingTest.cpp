// The colour editors of the real main window, driven with real messages.
#include <gtest/gtest.h>

#include <memory>

#include "app/MainForm.h"
#include "color/ColorText.h"
#include "text/ChannelText.h"
#include "support/MainWindowTest.h"
#include "support/WindowTestSupport.h"

namespace {

using testsupport::Retype;
using testsupport::ReleaseKey;
using testsupport::SendScroll;
using testsupport::TypeInto;

class ColorEditing : public testsupport::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // Black text on white, hexadecimal: the state of a first start.
        testsupport::SetTextColour(*form, "00", "00", "00");
        testsupport::SetBackColour(*form, "FF", "FF", "FF");
        form->RadioHexDim.SetItemIndex(1);
    }
    COLORREF PreviewPixel(int x, int y) { return form->ImageBackG.Picture().Pixel(x, y); }
};

TEST_F(ColorEditing, TypingSixHexDigitsSetsTheTextColour) {
    Retype(form->EditFont, "ff8000");
    EXPECT_EQ(form->LabelText.FontColor(), RGB(255, 128, 0));
    EXPECT_EQ(form->EditFont.Text(), "FF8000");
    EXPECT_EQ(form->EditFR.Text(), "ff");
    EXPECT_EQ(form->EditFG.Text(), "80");
    EXPECT_EQ(form->EditFB.Text(), "00");
    EXPECT_EQ(form->BarFR.Position(), 255);
    EXPECT_EQ(form->BarFG.Position(), 128);
    EXPECT_EQ(form->BarFB.Position(), 0);
}

TEST_F(ColorEditing, NothingChangesUntilTheSixthCharacter) {
    Retype(form->EditFont, "ff800");
    EXPECT_EQ(HexFR(*form), "00");
    EXPECT_EQ(form->LabelText.FontColor(), RGB(0, 0, 0));
    EXPECT_EQ(form->EditFont.Text(), "ff800");
    TypeInto(form->EditFont, "0");
    EXPECT_EQ(form->LabelText.FontColor(), RGB(255, 128, 0));

    // Deleting one character leaves the colour as it was.
    ::SendMessageA(form->EditFont.Handle(), EM_SETSEL, 5, 6);
    ::SendMessageA(form->EditFont.Handle(), WM_CLEAR, 0, 0);
    ReleaseKey(form->EditFont, VK_BACK);
    EXPECT_EQ(form->EditFont.Text(), "FF800");
    EXPECT_EQ(HexFB(*form), "00");
    EXPECT_EQ(form->LabelText.FontColor(), RGB(255, 128, 0));
}

TEST_F(ColorEditing, TheHexEditStopsAtSixCharactersWhileChannelEditsTakeAnyLength) {
    Retype(form->EditFont, "1234567");
    EXPECT_EQ(form->EditFont.Text(), "123456");
    Retype(form->EditFR, "0000000A");
    EXPECT_EQ(form->EditFR.Text(), "0000000A");
    EXPECT_EQ(ValFR(*form), 10);
}

TEST_F(ColorEditing, PairsThatAreNotHexadecimalCountAsZeroButStayAsTyped) {
    testsupport::SetTextColour(*form, "FF", "FF", "FF");
    Retype(form->EditFont, "GHIJKL");
    EXPECT_EQ(form->LabelText.FontColor(), RGB(0, 0, 0));
    EXPECT_EQ(form->EditFont.Text(), "GHIJKL");
    EXPECT_EQ(form->EditFR.Text(), "GH");
    EXPECT_EQ(form->EditFG.Text(), "IJ");
    EXPECT_EQ(form->EditFB.Text(), "KL");
    form->RadioHexDim.SetItemIndex(0);
    EXPECT_EQ(form->EditFR.Text(), "0");
    EXPECT_EQ(form->EditFG.Text(), "0");
    EXPECT_EQ(form->EditFB.Text(), "0");
}

TEST_F(ColorEditing, HexChannelEditKeepsWhatWasTypedAndOnlyTheHexStringFollows) {
    Retype(form->EditFR, "f");
    EXPECT_EQ(ValFR(*form), 15);
    EXPECT_EQ(form->EditFR.Text(), "f");
    EXPECT_EQ(form->EditFont.Text(), "F0000");
    EXPECT_EQ(form->BarFR.Position(), 15);
}

TEST_F(ColorEditing, DecimalChannelEditIsRewrittenToTheChannelValue) {
    form->RadioHexDim.SetItemIndex(0);
    Retype(form->EditFR, "300");
    EXPECT_EQ(ValFR(*form), 44);
    EXPECT_EQ(form->EditFR.Text(), "44");
    EXPECT_EQ(form->BarFR.Position(), 44);
    EXPECT_EQ(HexFR(*form), "12C");
    EXPECT_EQ(form->EditFont.Text(), "12C0000");
}

TEST_F(ColorEditing, DecimalChannelEditReadsOddTextsByTheIntegerRule) {
    form->RadioHexDim.SetItemIndex(0);
    struct Case {
        const char* typed;
        const char* shown;
        std::int32_t value;
        const char* hexString;
    } cases[] = {{"-1", "255", 255, "FFFFFFFF0000"}, {"007", "7", 7, "070000"}, {"$1F", "31", 31, "1F0000"},
                 {"0x1F", "31", 31, "1F0000"},        {"12 ", "0", 0, "000000"}, {"-", "0", 0, "000000"},
                 {"$", "0", 0, "000000"},             {"+5", "5", 5, "050000"}};
    for (const Case& c : cases) {
        // Pasted as a whole, then one key release.
        form->EditFR.SetText(c.typed);
        ReleaseKey(form->EditFR, VK_CONTROL);
        EXPECT_EQ(form->EditFR.Text(), c.shown) << c.typed;
        EXPECT_EQ(ValFR(*form), c.value) << c.typed;
        EXPECT_EQ(form->EditFont.Text(), c.hexString) << c.typed;
    }
}

TEST_F(ColorEditing, EmptyingADecimalChannelEditReadsZeroAtOnce) {
    testsupport::SetTextColour(*form, "00", "80", "00");
    form->RadioHexDim.SetItemIndex(0);
    ASSERT_EQ(form->EditFG.Text(), "128");
    form->EditFG.SetText("");
    ReleaseKey(form->EditFG, VK_BACK);
    EXPECT_EQ(form->EditFG.Text(), "0");
    EXPECT_EQ(ValFG(*form), 0);
}

TEST_F(ColorEditing, SwitchingTheFormatBackRestoresTheHexTextExactly) {
    testsupport::SetTextColour(*form, "f", "aB", "1FF");
    form->RadioHexDim.SetItemIndex(0);
    EXPECT_EQ(form->EditFR.Text(), "15");
    EXPECT_EQ(form->EditFG.Text(), "171");
    EXPECT_EQ(form->EditFB.Text(), "255");
    const std::string hexBefore = form->EditFont.Text();
    const COLORREF previewBefore = PreviewPixel(0, 0);
    form->RadioHexDim.SetItemIndex(1);
    EXPECT_EQ(form->EditFR.Text(), "f");
    EXPECT_EQ(form->EditFG.Text(), "aB");
    EXPECT_EQ(form->EditFB.Text(), "1FF");
    EXPECT_EQ(form->EditFont.Text(), hexBefore);
    EXPECT_EQ(PreviewPixel(0, 0), previewBefore);
}

TEST_F(ColorEditing, ClickingARadioItemSwitchesTheFormat) {
    testsupport::SetTextColour(*form, "0A", "00", "00");
    ::SendMessageA(form->RadioHexDim.ItemHandle(0), BM_CLICK, 0, 0);
    EXPECT_EQ(form->RadioHexDim.ItemIndex(), 0);
    EXPECT_EQ(form->EditFR.Text(), "10");
}

TEST_F(ColorEditing, ScrollNotificationsMoveTheChannelByTheirOwnRule) {
    testsupport::SetBackColour(*form, "80", "FF", "FF");
    struct Step {
        int code;
        int thumb;
        int expected;
    } steps[] = {{SB_LINERIGHT, 0, 129}, {SB_LINELEFT, 0, 128}, {SB_PAGERIGHT, 0, 138}, {SB_PAGELEFT, 0, 128},
                 {SB_RIGHT, 0, 255},     {SB_LINERIGHT, 0, 255}, {SB_LEFT, 0, 0},       {SB_LINELEFT, 0, 0},
                 {SB_THUMBTRACK, 77, 77}, {SB_THUMBPOSITION, 200, 200}, {SB_ENDSCROLL, 0, 200}};
    for (const Step& s : steps) {
        SendScroll(form->BarBR, s.code, s.thumb);
        EXPECT_EQ(form->BarBR.Position(), s.expected) << "code " << s.code;
        EXPECT_EQ(ValBR(*form), s.expected);
        EXPECT_EQ(HexBR(*form).size(), 2u);
        EXPECT_EQ(PreviewPixel(80, 90), RGB(s.expected, 255, 255));
    }
    EXPECT_EQ(form->EditBackG.Text(), "C8FFFF");
    EXPECT_EQ(form->EditBR.Text(), "C8");
}

TEST_F(ColorEditing, DraggingTheThumbFollowsEveryPosition) {
    for (int pos = 0; pos <= 255; pos += 15) {
        SendScroll(form->BarFG, SB_THUMBTRACK, pos);
        EXPECT_EQ(ValFG(*form), pos);
        EXPECT_EQ(form->LabelText.FontColor(), RGB(0, pos, 0));
        EXPECT_EQ(form->EditFG.Text(), velmira::HexAtLeastTwoDigits(static_cast<std::uint32_t>(pos)));
    }
}

TEST_F(ColorEditing, PreviewFillsWithTheBackgroundColour) {
    testsupport::SetBackColour(*form, "12", "AB", "0C");
    for (POINT p : {POINT{0, 0}, POINT{162, 187}, POINT{80, 100}}) EXPECT_EQ(PreviewPixel(p.x, p.y), RGB(0x12, 0xAB, 0x0C));
    EXPECT_EQ(form->ImageBackG.Picture().Width(), 163);
    EXPECT_EQ(form->ImageBackG.Picture().Height(), 188);
}

TEST_F(ColorEditing, WithAPictureInUseTheBackgroundEditorsStayAloneAndThePreviewShowsTheColourUntilAPictureIsDrawn) {
    testsupport::SetBackColour(*form, "10", "20", "30");
    form->CheckBackImage.SetChecked(true);  // no picture chosen: nothing is loaded
    testsupport::SetBackColour(*form, "FF", "20", "30");
    Retype(form->EditFont, "00FF00");
    EXPECT_EQ(form->LabelText.FontColor(), RGB(0, 255, 0));
    EXPECT_EQ(PreviewPixel(5, 5), RGB(0xFF, 0x20, 0x30));
    EXPECT_EQ(form->BarBR.Position(), 0x10);
    EXPECT_EQ(form->EditBR.Text(), "10");
    EXPECT_EQ(form->EditBackG.Text(), "FF2030");  // the hex string follows all the same
    form->CheckBackImage.SetChecked(false);
}

TEST_F(ColorEditing, WithNoFormatSelectedChannelEditsChangeNothing) {
    form->RadioHexDim.SetItemIndex(-1);
    form->UpdateHexDim();
    EXPECT_EQ(form->EditFR.Text(), "0");
    Retype(form->EditFR, "7F");
    EXPECT_EQ(HexFR(*form), "00");
    Retype(form->EditFont, "112233");
    EXPECT_EQ(form->EditFR.Text(), "7F");  // colour updates leave the channel edits as they are
    EXPECT_EQ(form->BarFR.Position(), 0x11);
    form->RadioHexDim.SetItemIndex(1);
    EXPECT_EQ(form->EditFR.Text(), "11");
}

TEST_F(ColorEditing, AnEditAlreadyShowingTheTextIsNotRewritten) {
    Retype(form->EditFont, "ABCDEF");
    ::SendMessageA(form->EditFont.Handle(), EM_SETSEL, 3, 3);
    form->UpdateColor();
    DWORD start = 0, end = 0;
    ::SendMessageA(form->EditFont.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 3u);  // the caret stays where the user left it
}

}  // namespace
