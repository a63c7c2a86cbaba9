#include "picker/LoupeLayout.h"

#include <algorithm>
#include <iterator>

#include "ui/DpiScale.h"

namespace velmira {
namespace {

constexpr int kView = 120;        // the view's side at zoom 8 without the closing grid line
constexpr int kBorder = 1;
constexpr int kTextHeight = 20;
constexpr int kLineHeight = 16;  // each further line of the readout
constexpr int kOutline = 1;
constexpr int kGap = 20;          // between what lies within reach of the pick point and the loupe

int ZoomIndex(int zoom) noexcept {
    const auto* found = std::find(std::begin(kLoupeZooms), std::end(kLoupeZooms), zoom);
    if (found == std::end(kLoupeZooms))
        found = std::find(std::begin(kLoupeZooms), std::end(kLoupeZooms), kDefaultLoupeZoom);
    return static_cast<int>(found - std::begin(kLoupeZooms));
}

int GridSide(int zoom, unsigned dpi) noexcept {
    return LoupePixelsAcross(zoom) * ui::ScaleLayout(zoom, dpi) + 1;
}

// One direction of the placement: [lo, hi) is the work area, `size` the loupe's extent.
int PlaceAlong(int pick, int distance, int size, int lo, int hi) noexcept {
    const int after = pick + distance;               // right of or below the pick point
    const int before = pick - distance + 1 - size;   // left of or above it, as far away
    int start = after;
    if (after + size > hi && before >= lo) start = before;
    // Pushed onto the work area: away from the pick point where that is all it takes, over it only when the
    // work area is too small for either side.
    return std::max(lo, std::min(start, hi - size));
}

}  // namespace

int LoupeZoomAfter(int zoom, int steps) noexcept {
    const int last = static_cast<int>(std::size(kLoupeZooms)) - 1;
    const long long index = static_cast<long long>(ZoomIndex(zoom)) + steps;
    return kLoupeZooms[std::clamp<long long>(index, 0, last)];
}

int LoupePixelsAcross(int zoom) noexcept {
    const int fit = kView / kLoupeZooms[ZoomIndex(zoom)];
    return fit % 2 == 0 ? fit - 1 : fit;
}

LoupeGeometry LoupeGeometryFor(int zoom, unsigned dpi, int readoutLines) noexcept {
    LoupeGeometry g;
    g.zoom = kLoupeZooms[ZoomIndex(zoom)];
    g.pixels = LoupePixelsAcross(g.zoom);
    g.cell = ui::ScaleLayout(g.zoom, dpi);
    g.gridSide = g.pixels * g.cell + 1;
    int view = 0;
    for (int z : kLoupeZooms) view = std::max(view, GridSide(z, dpi));
    g.border = ui::ScaleLayout(kBorder, dpi);
    g.gridLeft = g.border + (view - g.gridSide) / 2;
    g.gridTop = g.gridLeft;
    g.textTop = g.border + view;
    g.lines = std::max(readoutLines, 1);
    g.textHeight = ui::ScaleLayout(kTextHeight + (g.lines - 1) * kLineHeight, dpi);
    g.fontHeight = ui::ScaleLayout(kLoupeFontHeight, dpi);
    g.outline = std::max(1, ui::ScaleLayout(kOutline, dpi));
    g.stripe = std::max(1, g.cell / 4);
    g.width = view + 2 * g.border;
    g.height = view + g.textHeight + 2 * g.border;
    return g;
}

ScreenRect LoupeArea(ScreenPoint pick, int pixels) noexcept {
    const int left = pick.x - pixels / 2;
    const int top = pick.y - pixels / 2;
    return ScreenRect{left, top, left + pixels, top + pixels};
}

ScreenPoint LoupeOrigin(ScreenPoint pick, int reach, int width, int height, const ScreenRect& workArea,
                        unsigned dpi) noexcept {
    const int distance = reach + 1 + ui::ScaleLayout(kGap, dpi);
    return ScreenPoint{PlaceAlong(pick.x, distance, width, workArea.left, workArea.right),
                       PlaceAlong(pick.y, distance, height, workArea.top, workArea.bottom)};
}

LoupeCells LoupeCellsOn(ScreenPoint pick, int pixels, const ScreenRect& screen) {
    LoupeCells cells;
    cells.pixels = pixels;
    cells.states.reserve(static_cast<std::size_t>(pixels) * pixels);
    const ScreenRect area = LoupeArea(pick, pixels);
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            cells.states.push_back(screen.Contains({x, y}) ? LoupeCell::Screen : LoupeCell::Outside);
    return cells;
}

void HideUnderRect(LoupeCells& cells, ScreenPoint pick, const ScreenRect& window) {
    const ScreenRect area = LoupeArea(pick, cells.pixels);
    const int left = std::max(area.left, window.left), right = std::min(area.right, window.right);
    const int top = std::max(area.top, window.top), bottom = std::min(area.bottom, window.bottom);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            LoupeCell& state = cells.states[static_cast<std::size_t>(y - area.top) * cells.pixels + (x - area.left)];
            if (state == LoupeCell::Screen) state = LoupeCell::Hidden;
        }
    }
}

void HideUnderRuns(LoupeCells& cells, ScreenPoint pick, const std::vector<RegionRun>& runs, ScreenPoint origin) {
    for (const RegionRun& run : runs) {
        const int top = origin.y + run.top;
        HideUnderRect(cells, pick, ScreenRect{origin.x + run.left, top, origin.x + run.right, top + 1});
    }
}

}  // namespace velmira
