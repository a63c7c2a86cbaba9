// The preview's contrast tooltip and its right-click menu on the real main window: what the tip shows for a
// colour pair and over a picture, that it follows colour changes while shown and draws its samples in the
// colours each vision sees, that it makes no text while hidden; and what the menu's items do.
#include <gtest/gtest.h>

#include <algorithm>
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "color/Contrast.h"
#include "colorwindows/ContrastDetailsForm.h"
#include "colorwindows/ContrastTip.h"
#include "color/NearestPassing.h"
#include "color/VisionDeficiency.h"
#include "support/MainWindowTest.h"
#include "support/MenuChooser.h"
#include "support/PictureWriter.h"
#include "support/WindowTestSupport.h"

namespace {

using testsupport::Retype;
using testsupport::MenuChooser;
using testsupport::PumpUntil;
using velmira::ContrastTip;

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

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

// The text's first `count` lines; the tip's first three are the WCAG ones, which come before everything else.
std::string FirstLines(const std::string& text, int count) {
    std::size_t end = std::string::npos;
    for (std::size_t from = 0; count-- > 0 && (end = text.find('\n', from)) != std::string::npos;) from = end + 1;
    return text.substr(0, end);
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// Whether a window's colour-vision samples (in its client coordinates) stand on screen in the colours each vision
// sees: mostly the background, with the sample text's pixels in the text colour (the glyphs' edges may be
// smoothed).
::testing::AssertionResult SamplesShowOnScreen(HWND window, const std::vector<RECT>& samples, velmira::Rgb text,
                                               velmira::Rgb background) {
    if (samples.size() != velmira::kDeficientVisions.size())
        return ::testing::AssertionFailure() << samples.size() << " samples";
    ui::ScopedGetDC screen(nullptr);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const velmira::Vision vision = velmira::kDeficientVisions[i];
        const velmira::Rgb seenText = velmira::SimulateVision(vision, text);
        const velmira::Rgb seenBackground = velmira::SimulateVision(vision, background);
        RECT r = samples[i];
        ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
        ui::Canvas shown(r.right - r.left, r.bottom - r.top);
        ::BitBlt(shown.DC(), 0, 0, shown.Width(), shown.Height(), screen.get(), r.left, r.top, SRCCOPY);
        ::GdiFlush();
        int backgroundPixels = 0, textPixels = 0;
        for (int y = 0; y < shown.Height(); ++y)
            for (int x = 0; x < shown.Width(); ++x) {
                const COLORREF p = shown.Pixel(x, y);
                backgroundPixels += p == RGB(seenBackground.red, seenBackground.green, seenBackground.blue);
                textPixels += p == RGB(seenText.red, seenText.green, seenText.blue);
            }
        if (backgroundPixels * 2 < shown.Width() * shown.Height() || textPixels < 3)
            return ::testing::AssertionFailure() << velmira::VisionName(vision) << ": " << backgroundPixels
                                                 << " background and " << textPixels << " text pixels of "
                                                 << shown.Width() * shown.Height();
    }
    return ::testing::AssertionSuccess();
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

    // Right-clicks the preview and chooses the menu's item with the access key; returns what the menu offered.
    std::vector<MenuChooser::Item> ChooseFromPreviewMenu(char key) {
        MenuChooser chooser(std::string(1, key));
        const HWND panel = form->PanelBackG.Handle();
        const LPARAM at = MAKELPARAM(80, 150);  // over the picture, below the sample text
        ::SendMessageA(panel, WM_RBUTTONDOWN, MK_RBUTTON, at);
        ::SendMessageA(panel, WM_RBUTTONUP, 0, at);  // the system makes it the context menu request
        EXPECT_TRUE(chooser.pressed) << "the menu never waited for a key";
        return chooser.items;
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
    EXPECT_EQ(FirstLines(AskText(*tip), 3),
              "コントラスト比 21.00:1\nAA: 通常の文字 ○ / 大きな文字 ○\nAAA: 通常の文字 ○ / 大きな文字 ○");

    Retype(form->EditFont, "767676");
    const std::string text = AskText(*tip);
    EXPECT_EQ(FirstLines(text, 3),
              "コントラスト比 4.54:1\nAA: 通常の文字 ○ / 大きな文字 ○\nAAA: 通常の文字 × / 大きな文字 ○");
    // Then APCA, and the pair as each colour-vision deficiency sees it: a grey pair alike for all three.
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[3], "APCA Lc 71.6 → 一般の文字");
    EXPECT_TRUE(StartsWith(lines[4], "P型色覚 4.5")) << lines[4];
    EXPECT_TRUE(StartsWith(lines[5], "D型色覚 4.5")) << lines[5];
    EXPECT_TRUE(StartsWith(lines[6], "T型色覚 4.5")) << lines[6];

    Retype(form->EditBackG, "949494");  // two greys close together
    EXPECT_EQ(FirstLines(AskText(*tip), 1), "コントラスト比 1.50:1");
    Retype(form->EditFont, "ffffff");
    EXPECT_EQ(FirstLines(AskText(*tip), 1), "コントラスト比 3.03:1");
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
    velmira::test::TestPicture pattern{picture.Width(), picture.Height(), {}};
    std::size_t black = 0, total = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const bool under = x >= left && x < right && y >= top && y < bottom;
            const bool white = under && (x - left) % 3 != 0;
            pattern.values.push_back(white ? 0xFFFFFFu : 0u);
            if (under) ++total, black += white ? 0 : 1;
        }
    }
    const std::string path = testsupport::ProgramFolder() + "tippicture.bmp";
    testsupport::WriteFile(path, velmira::test::EncodeBmp(velmira::test::BmpFormat{}, pattern));
    form->CheckBackImage.SetChecked(true);
    form->Background().LoadPictureFile(path);
    ::DeleteFileA(path.c_str());

    // Black text: 1:1 against black, 21:1 against white, two thirds of the pixels white; the worst figures of
    // APCA and of each vision after them.
    const std::string text = AskText(*tip);
    EXPECT_EQ(FirstLines(text, 3), "背景画像に対するコントラスト比\n最低 1.00:1 / 中央値 21.00:1\n4.5:1 未満の画素 " +
                                   velmira::PercentText(static_cast<double>(black) / static_cast<double>(total)));
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[3], "APCA 最低 Lc 0.0 → 使用不可");
    EXPECT_EQ(lines[4], "P型色覚 最低 1.00:1 / Lc 0.0");

    // The text colour still counts: white text is 1:1 against the white majority.
    Retype(form->EditFont, "FFFFFF");
    EXPECT_EQ(FirstLines(AskText(*tip), 3),
              "背景画像に対するコントラスト比\n最低 1.00:1 / 中央値 1.00:1\n4.5:1 未満の画素 " +
                  velmira::PercentText(static_cast<double>(total - black) / static_cast<double>(total)));
}

// A picture switched on in the settings whose file is gone by the next start.
class ContrastTipAfterAFailedPicture : public ContrastTipTest {
protected:
    ContrastTipAfterAFailedPicture() {
        settings = "[BackGround]\r\nUseImage=1\r\nPath=" + testsupport::ProgramFolder() + "gone.bmp\r\n";
    }
    testsupport::MessageBoxRecorder boxes;  // before the window, which says at start-up that the file is missing
};

TEST_F(ContrastTipAfterAFailedPicture, ThePreviewShowsTheBackgroundColourAndTheTipMeasuresIt) {
    ASSERT_EQ(boxes.messages.size(), 1u);
    ASSERT_TRUE(form->CheckBackImage.Checked());
    ::GdiFlush();
    const ui::Canvas& preview = form->ImageBackG.Picture();
    for (const POINT p : {POINT{0, 0}, POINT{20, 15}, POINT{preview.Width() - 1, preview.Height() - 1}})
        EXPECT_EQ(preview.Pixel(p.x, p.y), RGB(255, 255, 255)) << p.x << "," << p.y;
    // Black text on the white that shows, not on the black of a preview never drawn.
    EXPECT_EQ(FirstLines(AskText(*tip), 3), "背景画像に対するコントラスト比\n最低 21.00:1 / 中央値 21.00:1\n4.5:1 未満の画素 " +
                                            velmira::PercentText(0.0));
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
    EXPECT_EQ(FirstLines(tip->LastText(), 1), "コントラスト比 21.00:1");

    const std::size_t before = tip->TextComputations();
    Retype(form->EditFont, "777777");  // six key releases, one colour change at the sixth
    EXPECT_EQ(tip->TextComputations(), before + 1);
    EXPECT_TRUE(tip->Shown());
    EXPECT_EQ(FirstLines(tip->LastText(), 3),
              "コントラスト比 4.48:1\nAA: 通常の文字 × / 大きな文字 ○\nAAA: 通常の文字 × / 大きな文字 ×");

    // Red on green: the tip grows to its samples, each drawn in the colours its vision sees.
    Retype(form->EditBackG, "00AA00");
    Retype(form->EditFont, "CC0000");
    ASSERT_TRUE(tip->Shown());
    const velmira::Rgb red{0xCC, 0, 0}, green{0, 0xAA, 0};
    const auto samplesShow = [&] { return SamplesShowOnScreen(tip->Handle(), tip->SampleRects(), red, green); };
    EXPECT_TRUE(PumpUntil(samplesShow)) << samplesShow().message();
}

TEST_F(ContrastTipTest, PreviewMenuSetsTheNearestPassingColourSwapsAndCopiesCss) {
    Retype(form->EditFont, "3399FF");
    const std::vector<MenuChooser::Item> items = ChooseFromPreviewMenu('1');
    const std::vector<std::string> expected = {
        "文字色を AA (4.5:1) に合わせる(&1)", "文字色を AAA (7:1) に合わせる(&2)",
        "背景色を AA (4.5:1) に合わせる(&3)", "背景色を AAA (7:1) に合わせる(&4)",
        "文字色と背景色を入れ替える(&S)",     "CSS としてコピー(&C)"};
    ASSERT_EQ(items.size(), expected.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].text, expected[i]);
        EXPECT_TRUE(items[i].enabled) << expected[i];
    }

    // The text colour became the nearest colour that meets 4.5:1 against white, and everything shows it.
    const velmira::Rgb aa =
        velmira::NearestPassingColour(velmira::Rgb{0x33, 0x99, 0xFF}, velmira::Rgb{255, 255, 255}, 4.5).colour;
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X", aa.red, aa.green, aa.blue);
    EXPECT_EQ(form->EditFont.Text(), hex);
    EXPECT_EQ(form->EditFR.Text(), std::string(hex, 2));
    EXPECT_EQ(form->BarFB.Position(), aa.blue);
    EXPECT_EQ(form->LabelText.FontColor(), RGB(aa.red, aa.green, aa.blue));
    EXPECT_TRUE(velmira::LevelsOf(velmira::ContrastRatio(aa, velmira::Rgb{255, 255, 255})).aaNormal);
    EXPECT_EQ(FirstLines(AskText(*tip), 1),
              "コントラスト比 " + velmira::RatioText(velmira::ContrastRatio(aa, velmira::Rgb{255, 255, 255})));

    // The swap: the background takes the adjusted colour, the text white; the preview is filled with it.
    ChooseFromPreviewMenu('S');
    EXPECT_EQ(form->EditFont.Text(), "FFFFFF");
    EXPECT_EQ(form->EditBackG.Text(), hex);
    EXPECT_EQ(form->EditBR.Text(), std::string(hex, 2));
    EXPECT_EQ(form->BarBG.Position(), aa.green);
    EXPECT_EQ(form->LabelText.FontColor(), RGB(255, 255, 255));
    ::GdiFlush();
    EXPECT_EQ(form->ImageBackG.Picture().Pixel(80, 150), RGB(aa.red, aa.green, aa.blue));

    ChooseFromPreviewMenu('C');
    EXPECT_EQ(testsupport::ClipboardText(), "color: #FFFFFF; background-color: #" + std::string(hex) + ";");
}

// The window menu's contrast details: the tooltip's text in a window of its own, following every change of the
// colours, with the samples beside it; Esc closes it and Ctrl+D brings it back.
TEST_F(ContrastTipTest, ContrastDetailsFollowEveryColourChange) {
    MenuChooser chooser("D");
    ::SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    ASSERT_TRUE(chooser.pressed) << "the window menu never waited for a key";
    std::vector<std::string> ours;
    auto first = std::find_if(chooser.items.begin(), chooser.items.end(),
                              [](const MenuChooser::Item& item) { return item.text.rfind("コントラスト", 0) == 0; });
    for (auto it = first; it != chooser.items.end() && ours.size() < 3; ++it) ours.push_back(it->text);
    EXPECT_EQ(ours, (std::vector<std::string>{"コントラストの詳細(&D)...\tCtrl+D", "文字色をスポイトで取る(&T)\tCtrl+T",
                                              "背景色をスポイトで取る(&B)\tCtrl+B"}));
    ASSERT_TRUE(PumpUntil([&] { return form->ContrastDetails() && form->ContrastDetails()->Visible(); }));
    TContrastDetailsForm* details = form->ContrastDetails();
    EXPECT_EQ(details->Text.Text(), "文字 000000 / 背景 FFFFFF\r\nコントラスト比 21.00:1\r\nAA: 通常の文字 ○ / 大きな文字 ○\r\n"
                                    "AAA: 通常の文字 ○ / 大きな文字 ○\r\nAPCA Lc 106.0 → 本文\r\n"
                                    "P型色覚 21.00:1 / Lc 106.0\r\nD型色覚 21.00:1 / Lc 106.0\r\n"
                                    "T型色覚 21.00:1 / Lc 106.0\r\n\r\n"
                                    "大きな文字: 24px 以上、太字は 18.66px 以上\r\n"
                                    "通常の文字 (それより小さい文字): AA ○ / AAA ○\r\n大きな文字: AA ○ / AAA ○\r\n"
                                    "APCA Lc 106.0 で読める最小の文字サイズ (太さごと)\r\n100: 38px\r\n200: 25px\r\n"
                                    "300: 18px\r\n400: 14.5px\r\n500: 14px\r\n600: 13px\r\n700: 12px\r\n800: 16px\r\n"
                                    "900: 18px");
    EXPECT_EQ(::GetFocus(), details->Text.Handle());

    Retype(form->EditBackG, "00AA00");
    Retype(form->EditFont, "CC0000");
    std::string shown = details->Text.Text();
    for (std::size_t at; (at = shown.find('\r')) != std::string::npos;) shown.erase(at, 1);
    // The pair, the tip's text, then the sizes the pair allows.
    EXPECT_EQ(shown.rfind("文字 CC0000 / 背景 00AA00\n" + AskText(*tip) + "\n\n大きな文字: 24px 以上", 0), 0u) << shown;
    const velmira::Rgb red{0xCC, 0, 0}, green{0, 0xAA, 0};
    const auto samplesShow = [&] { return SamplesShowOnScreen(details->Handle(), details->SampleRects(), red, green); };
    EXPECT_TRUE(PumpUntil(samplesShow)) << samplesShow().message();

    ::SetForegroundWindow(details->Handle());
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == details->Handle(); }));
    testsupport::SendKey(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return !details->Visible(); })) << "Esc did not close the details";
    ::SetForegroundWindow(form->Handle());
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == form->Handle(); }));
    testsupport::SendKey('D', {VK_CONTROL});
    EXPECT_TRUE(PumpUntil([&] { return details->Visible(); })) << "Ctrl+D did not show the details";
}

}  // namespace
