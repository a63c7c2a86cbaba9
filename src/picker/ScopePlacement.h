#pragma once
// Where the scope window stands relative to the pointer, and which screen pixel its centre marks.
// The sight's centre lies 5 pixels left of and above the pointer's hot spot, so that the pointer never hides
// the pixel being picked. Divisions truncate towards zero; the window is not kept inside the screen.

namespace velmira {

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint& other) const noexcept { return x == other.x && y == other.y; }
};

constexpr int kScopePointerOffset = 5;

// The window's top-left corner for a window of width x height with the pointer at `pointer`.
constexpr ScreenPoint ScopeWindowOrigin(ScreenPoint pointer, int width, int height) noexcept {
    return ScreenPoint{pointer.x - width / 2 - kScopePointerOffset, pointer.y - height / 2 - kScopePointerOffset};
}

// The centre pixel of a window of width x height whose top-left corner is `origin`: the pick point.
constexpr ScreenPoint ScopeCenter(ScreenPoint origin, int width, int height) noexcept {
    return ScreenPoint{origin.x + (width - 1) / 2, origin.y + (height - 1) / 2};
}

}  // namespace velmira
