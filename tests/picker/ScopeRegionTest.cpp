// The scope window's shape and placement: the runs of the sight picture as the program stores it, other
// key colours, and the arithmetic that places the window around the pointer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "picker/LoupeLayout.h"
#include "picker/ScopePlacement.h"
#include "picker/ScopeRegion.h"

namespace {

using velmira::OpaqueRuns;
using velmira::OpaqueRuns24;
using velmira::RegionRun;
using velmira::ScopeCenter;
using velmira::ScopeWindowOrigin;
using velmira::ScreenPoint;

// The sight as it must look, top row first: X black, '.' silver.
const char* const kSightRows[29] = {
    "..............X..............", "..............X..............", "...........XXXXXXX...........",
    ".........XX...X...XX.........", ".......XX.....X.....XX.......", "......X.......X.......X......",
    ".....X........X........X.....", "....X.......XXXXX.......X....", "....X.....XX..X..XX.....X....",
    "...X.....X....X....X.....X...", "...X....X....XXX....X....X...", "..X.....X...X.X.X...X.....X..",
    "..X....X...X..X..X...X....X..", "..X....X..X...X...X..X....X..", "XXXXXXXXXXXXXX.XXXXXXXXXXXXXX",
    "..X....X..X...X...X..X....X..", "..X....X...X..X..X...X....X..", "..X.....X...X.X.X...X.....X..",
    "...X....X....XXX....X....X...", "...X.....X....X....X.....X...", "....X.....XX..X..XX.....X....",
    "....X.......XXXXX.......X....", ".....X........X........X.....", "......X.......X.......X......",
    ".......XX.....X.....XX.......", ".........XX...X...XX.........", "...........XXXXXXX...........",
    "..............X..............", "..............X..............",
};
constexpr int kSight = 29;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kSilver = 0xC0C0C0;

std::uint32_t U16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}
std::uint32_t U32(const std::string& b, std::size_t at) {
    return U16(b, at) | (U16(b, at + 2) << 16);
}

struct Grid {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Reads the sight picture from the program's resource file, checking the layout it must have on the way.
Grid ReadScopeBitmapFile() {
    std::ifstream file(VELMIRA_SCOPE_BMP, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Grid grid;
    EXPECT_EQ(b.size(), 14u + 568u);
    if (b.size() != 14u + 568u) return grid;
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(U32(b, 10), 14u + 40u + 64u);  // pixels right after the colour table
    const std::size_t h = 14;                // the information header
    EXPECT_EQ(U32(b, h + 0), 40u);
    EXPECT_EQ(U32(b, h + 4), 29u);
    EXPECT_EQ(U32(b, h + 8), 29u);  // positive: rows stored bottom-up
    EXPECT_EQ(U16(b, h + 12), 1u);
    EXPECT_EQ(U16(b, h + 14), 4u);
    EXPECT_EQ(U32(b, h + 16), 0u);
    EXPECT_EQ(U32(b, h + 20), 464u);
    EXPECT_EQ(U32(b, h + 24), 3780u);
    EXPECT_EQ(U32(b, h + 28), 3780u);
    EXPECT_EQ(U32(b, h + 32), 0u);
    std::uint32_t palette[16];
    for (int i = 0; i < 16; ++i) {
        const std::size_t e = 54 + 4 * static_cast<std::size_t>(i);  // blue, green, red, reserved
        palette[i] = (static_cast<unsigned char>(b[e + 2]) << 16) | (static_cast<unsigned char>(b[e + 1]) << 8) |
                     static_cast<unsigned char>(b[e]);
    }
    EXPECT_EQ(palette[0], kBlack);
    EXPECT_EQ(palette[7], kSilver);
    grid.width = grid.height = kSight;
    for (int y = 0; y < kSight; ++y) {
        const std::size_t row = 118 + static_cast<std::size_t>(kSight - 1 - y) * 16;
        for (int x = 0; x < kSight; ++x) {
            const auto byte = static_cast<unsigned char>(b[row + static_cast<std::size_t>(x) / 2]);
            grid.pixels.push_back(palette[x % 2 == 0 ? byte >> 4 : byte & 0x0F]);
        }
    }
    return grid;
}

Grid FromRows(const std::vector<std::string>& rows, const std::vector<std::pair<char, std::uint32_t>>& colours) {
    Grid grid;
    grid.height = static_cast<int>(rows.size());
    grid.width = static_cast<int>(rows.front().size());
    for (const std::string& row : rows) {
        for (char c : row) {
            for (const auto& [mark, colour] : colours)
                if (mark == c) grid.pixels.push_back(colour);
        }
    }
    return grid;
}

std::vector<RegionRun> RunsOf(const Grid& grid) {
    return OpaqueRuns(grid.width, grid.height, [&grid](int x, int y) { return grid.At(x, y); });
}

// The same picture as a 24-bit top-down DIB with padded rows, as the scope window hands it over.
std::vector<RegionRun> RunsOf24(const Grid& grid) {
    const std::size_t stride = (static_cast<std::size_t>(grid.width) * 3 + 3) & ~std::size_t{3};
    std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(grid.height), 0xEE);  // padding bytes
    for (int y = 0; y < grid.height; ++y) {
        for (int x = 0; x < grid.width; ++x) {
            std::uint8_t* p = &rows[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3];
            const std::uint32_t c = grid.At(x, y);
            p[0] = c & 0xFF;
            p[1] = (c >> 8) & 0xFF;
            p[2] = (c >> 16) & 0xFF;
        }
    }
    return OpaqueRuns24(grid.width, grid.height, rows.data(), stride);
}

std::set<std::pair<int, int>> PixelsOf(const std::vector<RegionRun>& runs) {
    std::set<std::pair<int, int>> pixels;
    for (const RegionRun& run : runs) {
        EXPECT_LT(run.left, run.right);
        for (int x = run.left; x < run.right; ++x) EXPECT_TRUE(pixels.insert({x, run.top}).second);
    }
    return pixels;
}

TEST(ScopeBitmap, ResourceFileHoldsTheSightPixelForPixel) {
    const Grid grid = ReadScopeBitmapFile();
    ASSERT_EQ(grid.pixels.size(), 29u * 29u);
    for (int y = 0; y < kSight; ++y) {
        for (int x = 0; x < kSight; ++x) {
            EXPECT_EQ(grid.At(x, y), kSightRows[y][x] == 'X' ? kBlack : kSilver) << "pixel " << x << "," << y;
        }
    }
}

TEST(ScopeRegion, SightRunsCoverExactlyTheBlackPixels) {
    const Grid grid = ReadScopeBitmapFile();
    ASSERT_EQ(grid.pixels.size(), 29u * 29u);
    const std::vector<RegionRun> runs = RunsOf(grid);
    EXPECT_EQ(runs.size(), 110u);
    EXPECT_EQ(RunsOf24(grid), runs);

    const std::set<std::pair<int, int>> covered = PixelsOf(runs);
    EXPECT_EQ(covered.size(), 172u);
    std::set<std::pair<int, int>> black;
    for (int y = 0; y < kSight; ++y)
        for (int x = 0; x < kSight; ++x)
            if (kSightRows[y][x] == 'X') black.insert({x, y});
    EXPECT_EQ(covered, black);  // so neither the centre pixel nor any silver pixel is part of the window
    EXPECT_EQ(covered.count({14, 14}), 0u);

    // Runs come row by row from the top, left to right.
    for (std::size_t i = 1; i < runs.size(); ++i) {
        const bool ordered = runs[i - 1].top < runs[i].top ||
                             (runs[i - 1].top == runs[i].top && runs[i - 1].right < runs[i].left);
        EXPECT_TRUE(ordered) << "run " << i;
    }
    // The centre row is the full line with one gap at the centre.
    EXPECT_EQ(std::count_if(runs.begin(), runs.end(), [](const RegionRun& r) { return r.top == 14; }), 2);
}

struct RunCase {
    const char* name;
    std::vector<std::string> rows;
    std::vector<RegionRun> expected;
};

// 'K' is the top-left pixel's colour (here red), 'b' black, 'w' white, 's' silver.
TEST(ScopeRegion, TheTopLeftPixelsColourIsTheTransparentOne) {
    const std::vector<std::pair<char, std::uint32_t>> colours = {
        {'K', 0xFF0000}, {'b', kBlack}, {'w', 0xFFFFFF}, {'s', kSilver}};
    const RunCase cases[] = {
        {"silver counts as opaque when red is the key", {"Kss", "KKK"}, {{1, 0, 3}}},
        {"black and white both opaque", {"KbwK", "KKbK"}, {{1, 0, 3}, {2, 1, 3}}},
        {"a run reaching the right edge ends one past it", {"KKb", "bbb"}, {{2, 0, 3}, {0, 1, 3}}},
        {"several runs in a row", {"KbKbKb"}, {{1, 0, 2}, {3, 0, 4}, {5, 0, 6}}},
        {"a row starting opaque after an opaque row end", {"Kb", "bK"}, {{1, 0, 2}, {0, 1, 1}}},
        {"all key: no window at all", {"KK", "KK"}, {}},
        {"one pixel", {"K"}, {}},
    };
    for (const RunCase& c : cases) {
        const Grid grid = FromRows(c.rows, colours);
        EXPECT_EQ(RunsOf(grid), c.expected) << c.name;
        EXPECT_EQ(RunsOf24(grid), c.expected) << c.name;
    }
    EXPECT_TRUE(OpaqueRuns(0, 5, [](int, int) { return 0u; }).empty());
}

TEST(ScopePlacement, WindowAndCentreAroundThePointer) {
    struct Case {
        const char* name;
        ScreenPoint pointer;
        int width, height, factor;
        ScreenPoint origin, centre;
    };
    const Case cases[] = {
        {"the sight", {100, 200}, 29, 29, 1, {81, 181}, {95, 195}},
        {"pointer at the screen's corner: not pushed back", {0, 0}, 29, 29, 1, {-19, -19}, {-5, -5}},
        {"near the top-left edge the pick point leaves the screen", {2, 2}, 29, 29, 1, {-17, -17}, {-3, -3}},
        {"secondary monitor left of the primary", {-1500, -300}, 29, 29, 1, {-1519, -319}, {-1505, -305}},
        {"right and bottom edges of a 1280x1024 screen", {1279, 1023}, 29, 29, 1, {1260, 1004}, {1274, 1018}},
        {"even sizes put the centre 6 pixels off", {100, 100}, 30, 28, 1, {80, 81}, {94, 94}},
        {"one pixel", {10, 10}, 1, 1, 1, {5, 5}, {5, 5}},
        // Doubled, the offset is 10 and the centre pixel the top-left one of the centre's 2 x 2 block.
        {"the sight at 150% and 200%", {100, 200}, 58, 58, 2, {61, 161}, {89, 189}},
        {"the sight at 300%", {100, 200}, 87, 87, 3, {42, 142}, {85, 185}},
    };
    for (const Case& c : cases) {
        const ScreenPoint origin = ScopeWindowOrigin(c.pointer, c.width, c.height, c.factor);
        EXPECT_EQ(origin, c.origin) << c.name;
        EXPECT_EQ(ScopeCenter(origin, c.width, c.height), c.centre) << c.name;
    }
}

TEST(ScopePlacement, TheSightIsDrawnAtTheMonitorsScaleRoundedToAWholeFactor) {
    const std::pair<unsigned, int> cases[] = {{72, 1},  {96, 1},  {120, 1}, {143, 1}, {144, 2}, {168, 2},
                                              {192, 2}, {239, 2}, {240, 3}, {288, 3}, {336, 4}};
    for (const auto& [dpi, factor] : cases) EXPECT_EQ(velmira::ScopeFactor(dpi), factor) << dpi << " DPI";
}

// Enlarged, every black pixel of the sight becomes a block of the window and nothing else does: the centre
// block stays out, so the pick still reads the screen beneath.
TEST(ScopeRegion, TheEnlargedSightCoversExactlyTheBlocksOfItsBlackPixels) {
    const Grid grid = FromRows(std::vector<std::string>(std::begin(kSightRows), std::end(kSightRows)),
                               {{'X', kBlack}, {'.', kSilver}});
    for (const int factor : {1, 2, 3}) {
        Grid large;
        large.width = large.height = kSight * factor;
        large.pixels = velmira::EnlargedPixels(grid.pixels, kSight, kSight, factor);
        ASSERT_EQ(large.pixels.size(), static_cast<std::size_t>(large.width * large.height));
        const std::set<std::pair<int, int>> covered = PixelsOf(RunsOf(large));
        EXPECT_EQ(covered.size(), 172u * factor * factor) << "factor " << factor;
        for (const auto& [x, y] : covered) EXPECT_EQ(kSightRows[y / factor][x / factor], 'X') << x << "," << y;
        const int centre = (large.width - 1) / 2;
        EXPECT_EQ(covered.count({centre, centre}), 0u) << "factor " << factor;
    }
    EXPECT_TRUE(velmira::EnlargedPixels(grid.pixels, kSight, kSight, 0).empty());
    EXPECT_EQ(velmira::EnlargedPixels({7u}, 1, 1, 2), std::vector<std::uint32_t>(4, 7u));
}

// The loupe hatches the cells under the sight's black lines where the system cannot leave the sight out of
// the screen capture; the pick pixel in the middle is never one of them.
TEST(LoupeCells, CellsUnderTheSightAreHiddenAndThePickPixelNever) {
    const Grid grid = FromRows(std::vector<std::string>(std::begin(kSightRows), std::end(kSightRows)),
                               {{'X', kBlack}, {'.', kSilver}});
    const std::vector<RegionRun> runs = RunsOf(grid);
    const ScreenPoint pointer{400, 300};
    const ScreenPoint origin = ScopeWindowOrigin(pointer, kSight, kSight);
    const ScreenPoint pick = ScopeCenter(origin, kSight, kSight);
    for (const int zoom : velmira::kLoupeZooms) {
        const int pixels = velmira::LoupePixelsAcross(zoom);
        velmira::LoupeCells cells = velmira::LoupeCellsOn(pick, pixels, {0, 0, 1280, 1024});
        velmira::HideUnderRuns(cells, pick, runs, origin);
        int hidden = 0;
        for (int row = 0; row < pixels; ++row) {
            for (int column = 0; column < pixels; ++column) {
                const int x = pick.x - pixels / 2 + column - origin.x, y = pick.y - pixels / 2 + row - origin.y;
                const bool underLine = x >= 0 && y >= 0 && x < kSight && y < kSight && kSightRows[y][x] == 'X';
                const velmira::LoupeCell expected = underLine ? velmira::LoupeCell::Hidden : velmira::LoupeCell::Screen;
                EXPECT_EQ(cells.At(column, row), expected) << "zoom " << zoom << " cell " << column << "," << row;
                hidden += underLine;
            }
        }
        EXPECT_EQ(cells.At(pixels / 2, pixels / 2), velmira::LoupeCell::Screen) << "zoom " << zoom;
        if (zoom == 4) {
            EXPECT_EQ(hidden, 172);  // 29 pixels across: the whole sight
        }
    }

    // Off the screen nothing is shown, hidden or not; a rectangular window of ours hides what it covers.
    const ScreenPoint corner{1, 1};
    velmira::LoupeCells cells = velmira::LoupeCellsOn(corner, 15, {0, 0, 1280, 1024});
    velmira::HideUnderRuns(cells, corner, runs, ScreenPoint{corner.x - 14, corner.y - 14});
    velmira::HideUnderRect(cells, corner, {5, 5, 100, 100});
    EXPECT_EQ(cells.At(0, 0), velmira::LoupeCell::Outside);
    EXPECT_EQ(cells.At(7, 5), velmira::LoupeCell::Outside);   // (1, -1): on the sight's vertical line, off screen
    EXPECT_EQ(cells.At(7, 8), velmira::LoupeCell::Hidden);    // (1, 2): on the sight's vertical line
    EXPECT_EQ(cells.At(7, 7), velmira::LoupeCell::Screen);    // the pick pixel
    EXPECT_EQ(cells.At(11, 11), velmira::LoupeCell::Hidden);  // (5, 5): under the rectangle
    EXPECT_EQ(cells.At(10, 11), velmira::LoupeCell::Screen);  // (4, 5): beside it, and between the sight's rings
}

}  // namespace
