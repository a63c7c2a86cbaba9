// The preview's contrast tooltip on the real main window: what it shows for a colour pair and over a picture,
// that it follows colour changes while shown, and that it makes no text while hidden.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "color/Contrast.h"
#include "color/ContrastTip.h"
#include "support/MainWindowTest.h"
#include "support/WindowTestSupport.h"

namespace {

using testsupport::Retype;
using testsupport::PumpUntil;

BOOL CALLBACK CollectTooltip(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<std::pair<HWND, std::vector<HWND>>*>(param);
    char className[64] = {};
    ::GetClassNameA(hwnd, className, sizeof className);
    if (lstrcmpiA(className, TOOLTIPS_CLASSA) == 0 && ::GetWindow(hwnd, GW_OWNER) == search->first)
        search->second.push_back(hwnd);
    return TRUE;
}

// The tooltips owned by the window.
std::vector<HWND> TooltipsOwnedBy(HWND owner) {
    std::pair<HWND, std::vector<HWND>> search{owner, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectTooltip, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// Asks for the text as the tooltip itself does when it is about to show.
std::string AskText(const ContrastTip& tip) {
    NMTTDISPINFOA info{};
    info.hdr.hwndFrom = tip.Handle();
    info.hdr.idFrom = reinterpret_cast<UINT_PTR>(tip.Tool());
    info.hdr.code = TTN_GETDISPINFOA;
    info.uFlags = TTF_IDISHWND;
    ::SendMessageA(tip.Handle(), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
    return info.lpszText ? std::string(info.lpszText) : std::string();
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

class ContrastTipTest : public testsupport::MainWindowTest {
protected:
    void SetUp() override {
        ::SetCursorPos(0, 0);  // away from the preview, so that no tip shows by chance
        MainWindowTest::SetUp();
        testsupport::SetTextColour(*form, "00", "00", "00");
        testsupport::SetBackColour(*form, "FF", "FF", "FF");
        form->RadioHexDim.SetItemIndex(1);
        const std::vector<HWND> tips = TooltipsOwnedBy(form->Handle());
        ASSERT_EQ(tips.size(), 1u);
        tip = dynamic_cast<ContrastTip*>(ui::Window::FromHandle(tips[0]));
        ASSERT_NE(tip, nullptr);
    }
    void TearDown() override {
        ::SetCursorPos(0, 0);
        MainWindowTest::TearDown();
    }

    ContrastTip* tip = nullptr;
};

TEST_F(ContrastTipTest, OneToolCoversThePreviewPanelAndAsksForItsText) {
    EXPECT_EQ(::SendMessageA(tip->Handle(), TTM_GETTOOLCOUNT, 0, 0), 1);
    char text[256] = {};
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.lpszText = text;  // a tool with a text of its own would copy it here
    ASSERT_TRUE(::SendMessageA(tip->Handle(), TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(reinterpret_cast<HWND>(info.uId), form->PanelBackG.Handle());
    EXPECT_EQ(info.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), UINT(TTF_IDISHWND | TTF_SUBCLASS));
    EXPECT_EQ(info.lpszText, LPSTR_TEXTCALLBACKA);
    EXPECT_TRUE(::GetWindowLongA(tip->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(ContrastTipTest, ColourPairTextFollowsTheTypedColours) {
    EXPECT_EQ(AskText(*tip),
              "コントラスト比 21.00:1\nAA: 通常の文字 ○ / 大きな文字 ○\nAAA: 通常の文字 ○ / 大きな文字 ○");

    Retype(form->EditFont, "767676");
    EXPECT_EQ(AskText(*tip),
              "コントラスト比 4.54:1\nAA: 通常の文字 ○ / 大きな文字 ○\nAAA: 通常の文字 × / 大きな文字 ○");

    Retype(form->EditBackG, "949494");  // two greys close together
    EXPECT_EQ(FirstLine(AskText(*tip)), "コントラスト比 1.50:1");
    Retype(form->EditFont, "ffffff");
    EXPECT_EQ(FirstLine(AskText(*tip)), "コントラスト比 3.03:1");
}

TEST_F(ContrastTipTest, HiddenTipMakesNoTextOnColourChanges) {
    ASSERT_FALSE(tip->Shown());
    const std::size_t changesBefore = tip->ColourChanges();
    Retype(form->EditFont, "123456");
    Retype(form->EditBackG, "abcdef");
    testsupport::SendScroll(form->BarFR, SB_LINERIGHT);
    EXPECT_GE(tip->ColourChanges(), changesBefore + 3);  // every refresh told the tip
    EXPECT_EQ(tip->TextComputations(), 0u);

    AskText(*tip);
    EXPECT_EQ(tip->TextComputations(), 1u);
}

TEST_F(ContrastTipTest, PictureTextCountsThePixelsUnderTheSampleText) {
    ui::Canvas& picture = form->ImageBackG.Picture();
    const RECT label = form->LabelText.Bounds();
    const RECT image = form->ImageBackG.Bounds();
    // The label in the picture's coordinates; the picture starts at the image's corner inside the bevel.
    const int left = label.left - image.left, top = label.top - image.top;
    const int right = label.right - image.left, bottom = label.bottom - image.top;
    ASSERT_GT(right - left, 3);
    ASSERT_GT(bottom - top, 0);
    ASSERT_LE(right, picture.Width());
    ASSERT_LE(bottom, picture.Height());

    // Under the text every third column is black, the rest white; all around it black, which must not count.
    ::GdiFlush();
    std::size_t black = 0, total = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const bool under = x >= left && x < right && y >= top && y < bottom;
            const bool white = under && (x - left) % 3 != 0;
            picture.Row(y)[x] = white ? 0xFFFFFFu : 0u;
            if (under) ++total, black += white ? 0 : 1;
        }
    }
    form->CheckBackImage.SetChecked(true);  // no picture chosen: the preview keeps the pixels drawn above
    form->UpdateColor();  // a change of the text colour leaves the picture as it is

    // Black text: 1:1 against black, 21:1 against white, two thirds of the pixels white.
    EXPECT_EQ(AskText(*tip), "背景画像に対するコントラスト比\n最低 1.00:1 / 中央値 21.00:1\n4.5:1 未満の画素 " +
                                 velmira::PercentText(static_cast<double>(black) / static_cast<double>(total)));

    // The text colour still counts: white text is 1:1 against the white majority.
    Retype(form->EditFont, "FFFFFF");
    EXPECT_EQ(AskText(*tip), "背景画像に対するコントラスト比\n最低 1.00:1 / 中央値 1.00:1\n4.5:1 未満の画素 " +
                                 velmira::PercentText(static_cast<double>(total - black) / static_cast<double>(total)));
}

TEST_F(ContrastTipTest, ShownTipFollowsEveryColourChange) {
    RECT panel{};
    ::GetWindowRect(form->PanelBackG.Handle(), &panel);
    const POINT inside{(panel.left + panel.right) / 2, panel.bottom - 20};  // below the sample text too
    ::SetCursorPos(inside.x, inside.y);
    // The tooltip shows only while the pointer really stands over its tool; the X server moves it a little later.
    ASSERT_TRUE(PumpUntil([&] {
        POINT now{};
        return ::GetCursorPos(&now) && now.x == inside.x && now.y == inside.y;
    }));
    POINT client = inside;
    ::ScreenToClient(form->PanelBackG.Handle(), &client);
    // A pointer move over the panel reaches the tooltip through its subclass of the panel and starts the
    // initial delay; every further move would start it again, so one move, then wait.
    ::SendMessageA(form->PanelBackG.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    ASSERT_TRUE(PumpUntil([&] { return tip->Shown(); }, 20000));
    EXPECT_EQ(FirstLine(tip->LastText()), "コントラスト比 21.00:1");

    const std::size_t before = tip->TextComputations();
    Retype(form->EditFont, "777777");  // six key releases, one colour change at the sixth
    EXPECT_EQ(tip->TextComputations(), before + 1);
    EXPECT_TRUE(tip->Shown());
    EXPECT_EQ(tip->LastText(),
              "コントラスト比 4.48:1\nAA: 通常の文字 × / 大きな文字 ○\nAAA: 通常の文字 × / 大きな文字 ×");
}

}  // namespace
