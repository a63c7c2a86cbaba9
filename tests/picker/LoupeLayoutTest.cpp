// The loupe's size at each DPI and zoom, the wheel's zoom steps, and where it stands beside the sight: away
// from the pick point, flipped at the right and bottom edges of the work area.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "picker/LoupeLayout.h"
#include "picker/LoupePicture.h"
#include "picker/SampleSquare.h"
#include "ui/DpiScale.h"

namespace {

using velmira::LoupeGeometry;
using velmira::LoupeGeometryFor;
using velmira::LoupeOrigin;
using velmira::ScreenPoint;
using velmira::ScreenRect;

constexpr int kSightReach = 14;  // the 29 x 29 sight around its centre
constexpr ScreenRect kScreen{0, 0, 1280, 1024};

TEST(LoupeLayout, ScalingRoundsHalvesAwayFromZeroAsMulDiv) {
    struct Case {
        int value;
        unsigned dpi;
        int scaled;
    } const cases[] = {
        {8, 96, 8}, {8, 144, 12}, {1, 144, 2}, {1, 120, 1}, {5, 144, 8}, {121, 110, 139}, {-1, 144, -2}, {0, 192, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ui::ScaleLayout(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
}

TEST(LoupeLayout, TheWheelStepsThroughFourEightAndSixteen) {
    EXPECT_EQ(velmira::LoupeZoomAfter(8, 1), 16);
    EXPECT_EQ(velmira::LoupeZoomAfter(8, -1), 4);
    EXPECT_EQ(velmira::LoupeZoomAfter(4, 2), 16);
    EXPECT_EQ(velmira::LoupeZoomAfter(16, 1), 16);
    EXPECT_EQ(velmira::LoupeZoomAfter(4, -3), 4);
    EXPECT_EQ(velmira::LoupeZoomAfter(5, 0), 8);  // not a step: the default
    EXPECT_EQ(velmira::LoupeZoomAfter(5, 1), 16);
}

// The sampled square: its sides, its outline round the centre cell on the grid lines (black inside white), the
// band grown to three lines, and its pixels in reading order, hidden ones left out and those off the screen white.
TEST(LoupeLayout, ASampledSquareStepsThroughItsSidesIsOutlinedAndReadInReadingOrder) {
    EXPECT_EQ(velmira::SampleSizeAfter(1, 1), 3);
    EXPECT_EQ(velmira::SampleSizeAfter(9, 1), 15);
    EXPECT_EQ(velmira::SampleSizeAfter(15, 1), 15);
    EXPECT_EQ(velmira::SampleSizeAfter(3, -2), 1);
    EXPECT_EQ(velmira::SampleSizeOf(4), 1);

    const LoupeGeometry g = LoupeGeometryFor(8, 96, 3);
    EXPECT_EQ(g.height, 143 + 2 * 16);
    velmira::LoupeCells cells = velmira::LoupeCellsOn({100, 100}, g.pixels, kScreen);
    const std::vector<std::uint32_t> capture(static_cast<std::size_t>(g.pixels) * g.pixels, 0x808080);
    std::vector<std::uint32_t> out(static_cast<std::size_t>(g.width) * g.height);
    velmira::PaintLoupe(g, cells, capture.data(), velmira::LoupeColours{}, out.data(), g.width, 3);
    const auto at = [&](int x, int y) { return out[static_cast<std::size_t>(y) * g.width + x]; };
    const int first = g.Centre() - 1, middle = g.CellTop(first) + g.cell / 2;
    EXPECT_EQ(at(g.CellLeft(first), middle), 0x000000u);
    EXPECT_EQ(at(g.CellLeft(first) - 1, middle), 0xFFFFFFu);
    EXPECT_EQ(at(g.CellLeft(first + 3), middle), 0x000000u);
    EXPECT_EQ(at(g.CellLeft(first + 3) + 1, middle), 0xFFFFFFu);
    EXPECT_EQ(at(g.CellLeft(first) + g.cell / 2, middle), 0x808080u);
    EXPECT_EQ(at(g.CellLeft(first) + g.cell / 2, g.CellTop(first + 3)), 0x000000u);
    EXPECT_EQ(at(g.CellLeft(first) + g.cell / 2, g.CellTop(first + 3) + 1), 0xFFFFFFu);

    // At (99, 99) .. (101, 101): the first pixel hidden, the last row off a screen that ends at y 101.
    std::vector<std::uint32_t> small(9);
    for (std::size_t i = 0; i < small.size(); ++i) small[i] = 0x010101u * static_cast<std::uint32_t>(i);
    cells = velmira::LoupeCellsOn({100, 100}, 3, ScreenRect{0, 0, 200, 101});
    velmira::HideUnderRect(cells, {100, 100}, ScreenRect{99, 99, 100, 100});
    EXPECT_EQ(velmira::SquareOfCapture(cells, small.data(), 3),
              (std::vector<std::uint32_t>{0x010101, 0x020202, 0x030303, 0x040404, 0x050505, 0xFFFFFF, 0xFFFFFF,
                                          0xFFFFFF}));
    EXPECT_EQ(velmira::SquareOfCapture(cells, small.data(), 1), (std::vector<std::uint32_t>{0x040404}));

    // Zoomed in, the loupe shows the middle of a capture larger than itself.
    const velmira::LoupeCells shown = velmira::MiddleCells(cells, 1);
    EXPECT_EQ(shown.pixels, 1);
    EXPECT_EQ(shown.states, std::vector<velmira::LoupeCell>{velmira::LoupeCell::Screen});
    std::vector<std::uint32_t> wide(25);
    for (std::size_t i = 0; i < wide.size(); ++i) wide[i] = static_cast<std::uint32_t>(i);
    EXPECT_EQ(velmira::MiddlePixels(wide.data(), 5, 3), (std::vector<std::uint32_t>{6, 7, 8, 11, 12, 13, 16, 17, 18}));
}

TEST(LoupeLayout, TheLoupeKeepsItsSizeAndShowsMorePixelsWhenZoomedOut) {
    struct Case {
        int zoom;
        unsigned dpi;
        int pixels, cell, gridLeft, width, height, textTop, fontHeight;
    } const cases[] = {
        {8, 96, 15, 8, 1, 123, 143, 122, 14},
        {4, 96, 29, 4, 3, 123, 143, 122, 14},
        {16, 96, 7, 16, 5, 123, 143, 122, 14},
        {8, 144, 15, 12, 2, 185, 215, 183, 21},
        {4, 144, 29, 6, 5, 185, 215, 183, 21},
        {16, 144, 7, 24, 8, 185, 215, 183, 21},
        {8, 120, 15, 10, 1, 153, 178, 152, 18},
    };
    for (const Case& c : cases) {
        const LoupeGeometry g = LoupeGeometryFor(c.zoom, c.dpi);
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom << " at " << c.dpi << " dpi");
        EXPECT_EQ(g.pixels, c.pixels);
        EXPECT_EQ(g.cell, c.cell);
        EXPECT_EQ(g.gridLeft, c.gridLeft);
        EXPECT_EQ(g.gridTop, c.gridLeft);
        EXPECT_EQ(g.width, c.width);
        EXPECT_EQ(g.height, c.height);
        EXPECT_EQ(g.textTop, c.textTop);
        EXPECT_EQ(g.fontHeight, c.fontHeight);
        // The grid is centred in the view and ends before the readout's band.
        EXPECT_EQ(g.gridSide, g.pixels * g.cell + 1);
        EXPECT_EQ(g.width - g.border - (g.gridLeft + g.gridSide), g.gridLeft - g.border);
        EXPECT_LE(g.gridTop + g.gridSide, g.textTop);
    }
}

TEST(LoupeLayout, PlacedBesideThePickPointAndFlippedAtTheRightAndBottomEdges) {
    struct Case {
        const char* name;
        ScreenPoint pick;
        unsigned dpi;
        ScreenRect work;
        ScreenPoint origin;
    } const cases[] = {
        // 123 x 143 at 96 DPI, 35 pixels from the pick point to either side.
        {"right of and below the pick point", {600, 500}, 96, kScreen, {635, 535}},
        {"fits exactly at the right edge", {1122, 500}, 96, kScreen, {1157, 535}},
        {"one pixel further flips to the left", {1123, 500}, 96, kScreen, {966, 535}},
        {"near the bottom edge flips above", {600, 900}, 96, kScreen, {635, 723}},
        {"in the bottom-right corner both flip", {1270, 1015}, 96, kScreen, {1113, 838}},
        {"near the left and top edges nothing flips", {3, 3}, 96, kScreen, {38, 38}},
        {"above a work area under a top task bar: pushed down, away", {600, 2}, 96, {0, 40, 1280, 1024}, {635, 40}},
        {"the task bar's edge counts, not the screen's", {600, 850}, 96, {0, 0, 1280, 984}, {635, 673}},
        {"a monitor left of the primary", {-10, 500}, 96, {-1920, 0, 0, 1040}, {-167, 535}},
        // 185 x 215 at 144 DPI, 45 pixels away.
        {"scaled with the DPI", {600, 500}, 144, kScreen, {645, 545}},
        {"scaled, flipped at the right edge", {1200, 500}, 144, kScreen, {971, 545}},
        {"a work area too small for either side keeps the loupe on it", {100, 100}, 96, {0, 0, 200, 200}, {77, 57}},
    };
    for (const Case& c : cases) {
        const LoupeGeometry g = LoupeGeometryFor(8, c.dpi);
        EXPECT_EQ(LoupeOrigin(c.pick, kSightReach, g.width, g.height, c.work, c.dpi), c.origin) << c.name;
    }
}

// Wherever the pick point is, the loupe lies on the work area and clear of the sight and the pixels it shows.
TEST(LoupeLayout, TheLoupeNeverCoversTheSightOrTheAreaItShows) {
    for (const unsigned dpi : {96u, 144u, 192u}) {
        for (const int zoom : velmira::kLoupeZooms) {
            const LoupeGeometry g = LoupeGeometryFor(zoom, dpi);
            for (int y = -5; y < kScreen.bottom; y += 7) {
                for (int x = -5; x < kScreen.right; x += 7) {
                    const ScreenPoint o = LoupeOrigin({x, y}, kSightReach, g.width, g.height, kScreen, dpi);
                    const bool apart = o.x > x + kSightReach || o.x + g.width <= x - kSightReach ||
                                       o.y > y + kSightReach || o.y + g.height <= y - kSightReach;
                    const bool onScreen = o.x >= 0 && o.y >= 0 && o.x + g.width <= kScreen.right &&
                                          o.y + g.height <= kScreen.bottom;
                    ASSERT_TRUE(apart && onScreen) << x << "," << y << " zoom " << zoom << " dpi " << dpi;
                }
            }
        }
    }
}

// The loupe's picture pixel by pixel: three cells of five pixels (grid line included) in a one-pixel frame, a
// cell off every screen (o), one hatched under our own window (L light, D dark stripes), screen pixels (a to i),
// the grid (+), the band for the readout (=), and rings two pixels thick round the centre cell: black (K) within
// white (W) round a light pixel.
TEST(LoupePicture, EveryPixelLiesWhereTheLayoutPutsIt) {
    const char* const expected[] = {
        "####################", "#++++++++++++++++++#", "#++++++++++++++++++#", "#++oooo+bbbb+LLDD++#",
        "#++oWWWWWWWWWWWWL++#", "#++oWWWWWWWWWWWWL++#", "#++oWWKKKKKKKKWWD++#", "#+++WWKKKKKKKKWW+++#",
        "#++dWWKKeeeeKKWWf++#", "#++dWWKKeeeeKKWWf++#", "#++dWWKKeeeeKKWWf++#", "#++dWWKKeeeeKKWWf++#",
        "#+++WWKKKKKKKKWW+++#", "#++gWWKKKKKKKKWWi++#", "#++gWWWWWWWWWWWWi++#", "#++gWWWWWWWWWWWWi++#",
        "#++gggg+hhhh+iiii++#", "#++++++++++++++++++#", "#==================#", "#==================#",
        "#==================#", "####################",
    };
    LoupeGeometry g;
    g.pixels = 3, g.cell = 5, g.border = 1, g.gridLeft = 2, g.gridTop = 2, g.gridSide = 16, g.textTop = 18;
    g.textHeight = 3, g.outline = 2, g.stripe = 2, g.width = 20, g.height = 22;
    using velmira::LoupeCell;
    velmira::LoupeCells cells{3, {LoupeCell::Outside, LoupeCell::Screen, LoupeCell::Hidden, LoupeCell::Screen,
                                  LoupeCell::Screen, LoupeCell::Screen, LoupeCell::Screen, LoupeCell::Screen,
                                  LoupeCell::Screen}};
    std::uint32_t capture[9] = {0xA00001, 0xA00002, 0xA00003, 0xA00004, 0xF0F0F0, 0xA00006, 0xA00007, 0xA00008, 0xA00009};
    const velmira::LoupeColours colours{0x111111, 0x222222, 0x333333, 0xC8C8C8, 0x444444, 0x555555};
    auto colourOf = [&](char c) {
        const std::uint32_t fixed[] = {colours.frame, colours.grid,    colours.band, colours.hatchLight,
                                       colours.hatchDark, colours.outside, 0x000000, 0xFFFFFF};
        const char* const keys = "#+=LDoKW";
        return c >= 'a' && c <= 'i' ? capture[c - 'a'] : fixed[std::strchr(keys, c) - keys];
    };
    // Rows further apart than the picture is wide; what lies between them stays as it was.
    const int stride = g.width + 3;
    std::vector<std::uint32_t> out(static_cast<std::size_t>(stride) * g.height, 0xDEADBEEF);
    velmira::PaintLoupe(g, cells, capture, colours, out.data(), stride);
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < stride; ++x)
            ASSERT_EQ(out[static_cast<std::size_t>(y) * stride + x], x < g.width ? colourOf(expected[y][x]) : 0xDEADBEEF)
                << x << "," << y;

    // The inner ring is black round a light centre, white round a dark one, whatever the centre cell shows.
    struct Centre {
        LoupeCell state;
        std::uint32_t pixel;
        std::uint32_t inner;
    } const centres[] = {{LoupeCell::Screen, 0x101010, 0xFFFFFF}, {LoupeCell::Hidden, 0x101010, 0x000000},
                         {LoupeCell::Outside, 0xF0F0F0, 0xFFFFFF}};
    for (const Centre& c : centres) {
        cells.states[4] = c.state;
        capture[4] = c.pixel;
        velmira::PaintLoupe(g, cells, capture, colours, out.data(), stride);
        EXPECT_EQ(out[6 * static_cast<std::size_t>(stride) + 6], c.inner);
        EXPECT_EQ(out[4 * static_cast<std::size_t>(stride) + 4], c.inner ^ 0xFFFFFF);
    }
}

TEST(LoupePicture, TheRingIsBlackFromHalfTheBrightnessUp) {
    // Perceived brightness 299 R + 587 G + 114 B thousandths: #808080 is exactly half, #599675 one below.
    const struct {
        std::uint32_t pixel, ring;
    } cases[] = {{0x808080, 0x000000}, {0x599675, 0xFFFFFF}, {0x7F7F7F, 0xFFFFFF}, {0x00FF00, 0x000000},
                 {0x0000FF, 0xFFFFFF}, {0xFFFFFF, 0x000000}};
    for (const auto& c : cases) EXPECT_EQ(velmira::CentreRingColour(c.pixel), c.ring) << std::hex << c.pixel;
}

}  // namespace
