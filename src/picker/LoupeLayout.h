#pragma once
// The loupe that shows the screen pixels around the pick point, magnified, while a colour is picked: its size
// at a monitor's DPI, how many pixels it shows at each zoom, where it stands beside the sight, and which of its
// cells would show our own windows instead of the screen.
//
// Layout figures are 96-DPI figures, scaled like every window of the program (ui/DpiScale.h). Screen pixels,
// the pick point and the sight are physical and never scaled: a cell is one screen pixel, drawn `cell` wide.
#include <cstdint>
#include <vector>

#include "picker/ScopePlacement.h"
#include "picker/ScopeRegion.h"

namespace velmira {

// A rectangle of the screen, right and bottom exclusive.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Contains(ScreenPoint p) const noexcept { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool operator==(const ScreenRect& o) const noexcept {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// The character height of the readout under the cells, a 96-DPI figure.
constexpr int kLoupeFontHeight = 14;

// The magnifications the wheel steps through, and the one a pick starts with.
constexpr int kLoupeZooms[] = {4, 8, 16};
constexpr int kDefaultLoupeZoom = 8;

// The zoom `steps` wheel notches from `zoom` (positive: closer), held at the ends; any other value counts as
// the default zoom.
int LoupeZoomAfter(int zoom, int steps) noexcept;

// Screen pixels across (and down) that the loupe shows: 15 at zoom 8, and at the other zooms as many as fill
// the same view, an odd count so that the pick pixel is the centre cell (29 at 4, 7 at 16).
int LoupePixelsAcross(int zoom) noexcept;

// Where everything lies in the loupe's window, in window pixels. Cells are square, `cell` pixels apart; the
// grid line is the first row and column of each cell, and one more line closes the grid on the right and at
// the bottom. The grid is centred in a view that has the same size at every zoom, so the loupe keeps its size.
struct LoupeGeometry {
    int zoom = kDefaultLoupeZoom;
    int pixels = 0;     // screen pixels across and down
    int cell = 0;       // window pixels per screen pixel, grid line included
    int border = 0;     // the frame around the loupe
    int gridLeft = 0;   // the first grid line
    int gridTop = 0;
    int gridSide = 0;   // pixels * cell + 1
    int textTop = 0;    // the band under the cells that holds the readout
    int textHeight = 0;
    int lines = 1;      // of the readout, each textHeight / lines high
    int fontHeight = 0; // character height of the readout
    int outline = 0;    // thickness of each of the two rings round the centre cell
    int stripe = 0;     // width of the hatch's stripes
    int width = 0;      // the window
    int height = 0;

    // The top-left pixel of the cell that shows screen pixel (column, row) of the shown area.
    int CellLeft(int column) const noexcept { return gridLeft + column * cell; }
    int CellTop(int row) const noexcept { return gridTop + row * cell; }
    int Centre() const noexcept { return pixels / 2; }
};

// `readoutLines`: one for a pixel, more for a sampled square's figures.
LoupeGeometry LoupeGeometryFor(int zoom, unsigned dpi, int readoutLines = 1) noexcept;

// The screen pixels the loupe shows: `pixels` across and down with the pick point in the middle.
ScreenRect LoupeArea(ScreenPoint pick, int pixels) noexcept;

// The loupe's top-left corner. It stands diagonally below and to the right of the pick point, clear of
// everything within `reach` of it (the sight, the shown area and the pointer beside them) by a gap that scales
// with the DPI. Where it would leave the work area on the right or at the bottom it flips to the left or above;
// it is kept on the work area otherwise. Each direction is decided on its own.
ScreenPoint LoupeOrigin(ScreenPoint pick, int reach, int width, int height, const ScreenRect& workArea,
                        unsigned dpi) noexcept;

// What a cell shows: the screen pixel; nothing true (one of our own windows covers that pixel, and the system
// cannot leave it out of the capture), drawn hatched; or no pixel at all (the cell lies off every screen).
enum class LoupeCell : std::uint8_t { Screen, Hidden, Outside };

// One state per cell, row by row from the top.
struct LoupeCells {
    int pixels = 0;
    std::vector<LoupeCell> states;
    LoupeCell At(int column, int row) const { return states[static_cast<std::size_t>(row) * pixels + column]; }
};

// Every cell of the area around `pick` is a screen pixel if it lies on `screen`, and outside otherwise.
LoupeCells LoupeCellsOn(ScreenPoint pick, int pixels, const ScreenRect& screen);

// Hides the cells under a window shaped by `runs` (window coordinates) whose top-left corner is `origin`.
void HideUnderRuns(LoupeCells& cells, ScreenPoint pick, const std::vector<RegionRun>& runs, ScreenPoint origin);

// Hides the cells under a rectangular window.
void HideUnderRect(LoupeCells& cells, ScreenPoint pick, const ScreenRect& window);

}  // namespace velmira
