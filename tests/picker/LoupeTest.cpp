// The loupe over a window whose every pixel tells where it came from, with the real sight in front of it:
// what the loupe shows is read back from its own pixels on the screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "color/Contrast.h"
#include "color/SampleStats.h"
#include "picker/LoupeForm.h"
#include "picker/LoupePicture.h"
#include "picker/ScopeForm.h"
#include "support/LiveCounts.h"
#include "support/MainWindowTest.h"
#include "support/PatternWindow.h"
#include "support/WindowTestSupport.h"
#include "ui/DragController.h"
#include "ui/Dpi.h"

namespace {

using testsupport::PatternPixel;
using testsupport::PumpUntil;

constexpr RECT kPatternRect{500, 300, 800, 600};
constexpr POINT kPointer{655, 455};  // the sight's centre, the pick point, is 5 pixels left of and above it
constexpr velmira::Rgb kOther{0xFF, 0xFF, 0xFF};

std::uint32_t ScreenPixel(int x, int y) {
    return testsupport::ScreenShot(RECT{x, y, x + 1, y + 1})->Row(0)[0];
}

velmira::Rgb RgbOf(std::uint32_t pixel) {
    return velmira::Rgb{static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
                        static_cast<std::uint8_t>(pixel)};
}

// A pixel as the copy button copies it: six upper-case hexadecimal digits.
std::string HexOf(std::uint32_t pixel) {
    char hex[7];
    std::snprintf(hex, sizeof hex, "%06X", static_cast<unsigned>(pixel & 0xFFFFFF));
    return hex;
}

TLoupeForm::Readout ReadoutAgainstWhite() {
    return [](int, const std::vector<std::uint32_t>& square) {
        return velmira::PickReadoutText(velmira::ColoursOf(square).front(), kOther);
    };
}

RECT WindowRect(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
}

class Loupe : public ::testing::Test {
protected:
    void SetUp() override {
        pattern = std::make_unique<testsupport::PatternWindow>(kPatternRect);
        ASSERT_TRUE(::SetCursorPos(kPointer.x, kPointer.y));
        scope = std::make_unique<TScopeForm>(nullptr);
        scope->ShowInactive();
        pick = scope->GetCenter();
        // The sight stands on the pattern: its horizontal line is black, the pick pixel shows through.
        ASSERT_TRUE(PumpUntil([this] {
            return ScreenPixel(pick.x + 14, pick.y) == 0 && ScreenPixel(pick.x, pick.y) == PatternPixel(pick.x, pick.y);
        }));
    }
    void TearDown() override {
        scope.reset();
        pattern.reset();
    }

    std::unique_ptr<testsupport::PatternWindow> pattern;
    std::unique_ptr<TScopeForm> scope;
    POINT pick{};
};

// Every cell shows its screen pixel, or a hatch where the sight's lines would be shown instead; two rings of
// opposite colours outline the pick pixel, and the text under the cells is its readout.
void ExpectLoupeShowsThePatternAround(const TLoupeForm& loupe, POINT pick, HWND sight) {
    const velmira::LoupeGeometry& g = loupe.Geometry();
    const RECT at = WindowRect(loupe.Handle());
    ASSERT_EQ(at.right - at.left, g.width);
    ASSERT_EQ(at.bottom - at.top, g.height);
    ASSERT_TRUE(PumpUntil([&] {
        const int c = g.Centre();
        return ScreenPixel(at.left + g.CellLeft(c) + 1, at.top + g.CellTop(c) + 1) == PatternPixel(pick.x, pick.y);
    })) << "the loupe does not show the pick pixel in its centre cell";
    const std::unique_ptr<ui::Canvas> shot = testsupport::ScreenShot(at);

    ui::UniqueRegion shape(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(sight, shape.get()), ERROR);
    const RECT sightAt = WindowRect(sight);
    const velmira::LoupeColours colours;
    // The rings round the pick pixel's cell lie on its grid lines and over the edges of its neighbours.
    const int c = g.Centre(), t = g.outline;
    const RECT rings{g.CellLeft(c) - 2 * t + 1, g.CellTop(c) - 2 * t + 1, g.CellLeft(c) + g.cell + 2 * t,
                     g.CellTop(c) + g.cell + 2 * t};
    const RECT pickCell{g.CellLeft(c) + 1, g.CellTop(c) + 1, g.CellLeft(c) + g.cell, g.CellTop(c) + g.cell};
    int hatched = 0;
    for (int row = 0; row < g.pixels; ++row) {
        for (int column = 0; column < g.pixels; ++column) {
            const int x = pick.x - g.Centre() + column, y = pick.y - g.Centre() + row;
            const bool underSight =
                loupe.HatchesSight() && ::PtInRegion(shape.get(), x - sightAt.left, y - sightAt.top);
            int light = 0, dark = 0, other = 0;
            for (int v = 1; v < g.cell; ++v) {
                for (int u = 1; u < g.cell; ++u) {
                    const POINT at{g.CellLeft(column) + u, g.CellTop(row) + v};
                    if (::PtInRect(&rings, at) && !::PtInRect(&pickCell, at)) continue;
                    const std::uint32_t p = shot->Row(at.y)[at.x];
                    if (underSight) {
                        light += p == colours.hatchLight;
                        dark += p == colours.hatchDark;
                        other += p != colours.hatchLight && p != colours.hatchDark;
                    } else {
                        other += p != PatternPixel(x, y);
                    }
                }
            }
            EXPECT_EQ(other, 0) << "cell " << column << "," << row << (underSight ? " (hatched)" : "");
            if (underSight) {
                EXPECT_TRUE(light > 0 && dark > 0) << "cell " << column << "," << row;
            }
            hatched += underSight;
        }
    }
    // Wine cannot leave the sight out of the capture, and the sight's lines cross the shown area.
    EXPECT_TRUE(loupe.HatchesSight());
    EXPECT_GT(hatched, 0);

    const std::uint32_t ring = velmira::CentreRingColour(PatternPixel(pick.x, pick.y));
    EXPECT_EQ(shot->Row(g.CellTop(c) + g.cell / 2)[g.CellLeft(c)], ring);
    EXPECT_EQ(shot->Row(g.CellTop(c) + g.cell / 2)[g.CellLeft(c) - t], ring ^ 0xFFFFFF);
    EXPECT_EQ(shot->Row(g.CellTop(c) + g.cell)[g.CellLeft(c) + g.cell / 2], ring);

    // The band shows exactly the pick pixel's readout as the loupe draws text; a neighbour's would differ.
    auto band = [&](const std::string& text) {
        auto picture = std::make_unique<ui::Canvas>(g.width, g.height);
        picture->Fill(::GetSysColor(COLOR_BTNFACE));
        TLoupeForm::DrawReadout(picture->DC(), g, loupe.ReadoutFont(), text);
        ::GdiFlush();
        return picture;
    };
    const std::string text = velmira::PickReadoutText(RgbOf(PatternPixel(pick.x, pick.y)), kOther);
    const std::unique_ptr<ui::Canvas> expected = band(text);
    const std::unique_ptr<ui::Canvas> neighbours =
        band(velmira::PickReadoutText(RgbOf(PatternPixel(pick.x + 1, pick.y)), kOther));
    int differing = 0, neighbourDiffers = 0, ink = 0;
    for (int y = g.textTop; y < g.textTop + g.textHeight; ++y) {
        for (int x = g.border; x < g.width - g.border; ++x) {
            differing += shot->Row(y)[x] != expected->Row(y)[x];
            neighbourDiffers += neighbours->Row(y)[x] != expected->Row(y)[x];
            ink += expected->Row(y)[x] != expected->Row(g.textTop)[g.border];
        }
    }
    EXPECT_EQ(differing, 0) << "the text is not \"" << text << "\"";
    EXPECT_GT(neighbourDiffers, 0);
    EXPECT_GT(ink, 10 * g.fontHeight) << "the text is too faint to read";
}

class LoupeAtDpi : public Loupe, public ::testing::WithParamInterface<UINT> {};

TEST_P(LoupeAtDpi, ShowsThePixelsAroundThePickPointWithTheSightHatchedAndThePickPixelsReadout) {
    const UINT dpi = GetParam();
    TLoupeForm loupe(nullptr, scope->Handle(), ReadoutAgainstWhite());
    loupe.Update(pick, pick, kPointer, dpi);
    EXPECT_TRUE(::IsWindowVisible(loupe.Handle()));
    EXPECT_NE(::GetActiveWindow(), loupe.Handle());
    EXPECT_EQ(loupe.Geometry().pixels, 15);
    ExpectLoupeShowsThePatternAround(loupe, pick, scope->Handle());

    // The loupe stands beside the sight, clear of it.
    RECT overlap{};
    const RECT loupeAt = WindowRect(loupe.Handle()), sightAt = WindowRect(scope->Handle());
    EXPECT_FALSE(::IntersectRect(&overlap, &loupeAt, &sightAt));

    // The wheel zooms out to 29 pixels and in to 7, redrawing at once in the same window size.
    loupe.Wheel(-WHEEL_DELTA);
    EXPECT_EQ(loupe.Geometry().pixels, 29);
    ExpectLoupeShowsThePatternAround(loupe, pick, scope->Handle());
    loupe.Wheel(WHEEL_DELTA);
    loupe.Wheel(WHEEL_DELTA / 2);
    EXPECT_EQ(loupe.Zoom(), 8);  // half a notch is not a step yet
    loupe.Wheel(WHEEL_DELTA / 2);
    EXPECT_EQ(loupe.Geometry().pixels, 7);
    ExpectLoupeShowsThePatternAround(loupe, pick, scope->Handle());
}

INSTANTIATE_TEST_SUITE_P(Scaled, LoupeAtDpi, ::testing::Values(96u, 144u),
                         [](const ::testing::TestParamInfo<UINT>& info) { return std::to_string(info.param) + "Dpi"; });

TEST_F(Loupe, DestroyingTheLoupeLeavesNoWindowOrGdiObject) {
    const testsupport::LiveCounts before = testsupport::CountLive();
    HWND window = nullptr;
    {
        TLoupeForm loupe(nullptr, scope->Handle(), ReadoutAgainstWhite());
        window = loupe.Handle();
        loupe.Update(pick, pick, kPointer, 96);
        loupe.Wheel(WHEEL_DELTA);
        loupe.Update(pick, pick, kPointer, 144);  // another monitor's DPI: canvases and font made again
        EXPECT_NE(testsupport::CountLive(), before);
    }
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(testsupport::CountLive(), before) << testsupport::CountLive().Text() << " against " << before.Text();
}

// The loupe as a pick brings it: a real drag from the text colour's icon of the main window over the pattern.
class LoupeInAPick : public testsupport::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ::SetForegroundWindow(form->Handle());
        pattern = std::make_unique<testsupport::PatternWindow>(kPatternRect);
        testsupport::PumpPending();
    }
    void TearDown() override {
        if (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) testsupport::SendMouse(MOUSEEVENTF_LEFTUP);
        testsupport::PumpPending();
        MainWindowTest::TearDown();
        pattern.reset();
    }

    // Presses on the icon and drags to kPointer; the loupe is up once it shows the pick pixel there.
    void DragOntoThePattern() {
        POINT icon{15, 15};
        ::ClientToScreen(form->PanelScopeFont.Handle(), &icon);
        ASSERT_TRUE(::SetCursorPos(icon.x, icon.y));
        testsupport::SendMouse(MOUSEEVENTF_LEFTDOWN);
        ASSERT_TRUE(PumpUntil([this] { return form->Pick().Scope() != nullptr; }));
        ASSERT_TRUE(::SetCursorPos(kPointer.x, kPointer.y));
        const POINT pick{kPointer.x - 5, kPointer.y - 5};
        ASSERT_TRUE(PumpUntil([&] {
            const TLoupeForm* loupe = form->Pick().Loupe();
            if (!loupe || !::IsWindowVisible(loupe->Handle())) return false;
            const RECT at = WindowRect(loupe->Handle());
            const velmira::LoupeGeometry& g = loupe->Geometry();
            const int c = g.Centre();
            return ScreenPixel(at.left + g.CellLeft(c) + 1, at.top + g.CellTop(c) + 1) == PatternPixel(pick.x, pick.y);
        })) << "no loupe showing the pick pixel";
    }
    void WaitForThePickToEnd() {
        ASSERT_TRUE(PumpUntil([this] { return !form->Pick().Scope() && !ui::DragController::Get().Active(); }));
    }

    std::unique_ptr<testsupport::PatternWindow> pattern;
};

TEST_F(LoupeInAPick, ShowsThePixelTheDropTakesAndLeavesNothingBehindAfterTheDropOrEsc) {
    ui::DpiAtPoint(kPointer);  // loads the library it asks once, for the life of the process
    const testsupport::LiveCounts before = testsupport::CountLive();

    ASSERT_NO_FATAL_FAILURE(DragOntoThePattern());
    TLoupeForm& loupe = *form->Pick().Loupe();
    const HWND window = loupe.Handle();
    const POINT pick = form->Pick().Scope()->GetCenter();
    EXPECT_EQ(pick.x, kPointer.x - 5);
    EXPECT_EQ(pick.y, kPointer.y - 5);
    // Against the background colour, white, as the text colour is picked.
    ExpectLoupeShowsThePatternAround(loupe, pick, form->Pick().Scope()->Handle());
    testsupport::SendWheel(WHEEL_DELTA);
    EXPECT_TRUE(PumpUntil([&] { return loupe.Zoom() == 16; })) << "the wheel did not reach the loupe";
    // The keys zoom as the wheel does: - and PageDown out, PageUp and + in.
    const std::pair<WORD, int> zoomKeys[] = {{VK_SUBTRACT, 8}, {VK_NEXT, 4}, {VK_PRIOR, 8}, {VK_OEM_PLUS, 16}};
    for (const auto& step : zoomKeys) {
        testsupport::SendKey(step.first);
        EXPECT_TRUE(PumpUntil([&] { return loupe.Zoom() == step.second; }))
            << "key " << step.first << " did not zoom to " << step.second;
    }

    testsupport::SendMouse(MOUSEEVENTF_LEFTUP);
    ASSERT_NO_FATAL_FAILURE(WaitForThePickToEnd());
    EXPECT_EQ(form->EditFont.Text(), HexOf(PatternPixel(pick.x, pick.y)));
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(testsupport::CountLive(), before) << testsupport::CountLive().Text() << " against " << before.Text();

    ASSERT_NO_FATAL_FAILURE(DragOntoThePattern());
    const HWND ended = form->Pick().Loupe()->Handle();
    testsupport::SendKey(VK_ESCAPE);
    ASSERT_NO_FATAL_FAILURE(WaitForThePickToEnd());
    EXPECT_FALSE(::IsWindow(ended));
    EXPECT_EQ(testsupport::CountLive(), before) << testsupport::CountLive().Text() << " against " << before.Text();
}

// The pointer jumps, within one tick of the sight, so far that the sight's centre lands where the loupe stood: the
// loupe moves aside in that same tick, and a drop right after it reads the window below, never the loupe.
TEST_F(LoupeInAPick, ADropRightAfterALongJumpReadsTheWindowBelowAndNeverTheLoupe) {
    ASSERT_NO_FATAL_FAILURE(DragOntoThePattern());
    const HWND loupe = form->Pick().Loupe()->Handle();
    const RECT stood = WindowRect(loupe);
    const POINT centre = form->Pick().Scope()->GetCenter();
    const POINT pick{stood.left + 20, stood.top + 20};
    ASSERT_TRUE(::PtInRect(&kPatternRect, pick));
    ASSERT_TRUE(::SetCursorPos(pick.x + kPointer.x - centre.x, pick.y + kPointer.y - centre.y));
    ASSERT_TRUE(PumpUntil([&] {
        const POINT now = form->Pick().Scope()->GetCenter();
        return now.x == pick.x && now.y == pick.y;
    })) << "the sight did not follow the jump";
    const RECT stands = WindowRect(loupe);
    EXPECT_FALSE(::PtInRect(&stands, pick)) << "the loupe stands over the pick point";
    // No tick comes before the drop; only the pattern repaints what the loupe uncovered.
    ASSERT_TRUE(testsupport::PaintUntil([&] { return ScreenPixel(pick.x, pick.y) == PatternPixel(pick.x, pick.y); }))
        << "the pick point still shows the loupe";

    testsupport::SendMouse(MOUSEEVENTF_LEFTUP);
    ASSERT_NO_FATAL_FAILURE(WaitForThePickToEnd());
    EXPECT_EQ(form->EditFont.Text(), HexOf(PatternPixel(pick.x, pick.y)));
}

}  // namespace
