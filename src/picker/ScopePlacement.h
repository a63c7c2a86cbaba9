#pragma once
// Where the scope window stands relative to the pointer, and which screen pixel its centre marks.
// The sight's centre lies 5 pixels left of and above the pointer's hot spot, so that the pointer never hides
// the pixel being picked. Divisions truncate towards zero; the window is not kept inside the screen.
//
// On a scaled monitor the sight is drawn at a whole factor of its picture, so that its lines stay one-colour
// blocks, and its offset from the pointer grows with it. Screen coordinates stay physical pixels throughout.
#include "ui/DpiScale.h"

namespace velmira {

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint& other) const noexcept { return x == other.x && y == other.y; }
};

constexpr int kScopePointerOffset = 5;

// The factor the sight is drawn at on a monitor of `dpi`: the monitor's scale rounded to the nearest whole
// number with a half going up, never below 1. So 100% to 149% gives 1, 150% to 249% gives 2, 250% to 349%
// gives 3: at exactly 150% the sight is drawn twice as large, which looks nearer the rest of the screen than
// the small one.
constexpr int ScopeFactor(unsigned dpi) noexcept {
    const int factor = static_cast<int>((dpi + ui::kLayoutDpi / 2) / ui::kLayoutDpi);
    return factor < 1 ? 1 : factor;
}

// The window's top-left corner for a window of width x height with the pointer at `pointer`, for a sight drawn
// at `factor`.
constexpr ScreenPoint ScopeWindowOrigin(ScreenPoint pointer, int width, int height, int factor = 1) noexcept {
    return ScreenPoint{pointer.x - width / 2 - kScopePointerOffset * factor,
                       pointer.y - height / 2 - kScopePointerOffset * factor};
}

// The centre pixel of a window of width x height whose top-left corner is `origin`: the pick point.
constexpr ScreenPoint ScopeCenter(ScreenPoint origin, int width, int height) noexcept {
    return ScreenPoint{origin.x + (width - 1) / 2, origin.y + (height - 1) / 2};
}

}  // namespace velmira
