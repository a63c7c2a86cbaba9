#include "ui/ScrollBar.h"

#include <algorithm>

namespace ui {

void ScrollBar::Create(const Place& place, int min, int max, int smallChange, int largeChange) {
    CreateStandard("SCROLLBAR", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_HORZ, place.parent.Handle(), "",
                   place.left, place.top, place.width, place.height, NextControlId());
    min_ = min;
    max_ = max;
    smallChange_ = smallChange;
    largeChange_ = largeChange;
    position_ = min;
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, min, max, 0, min, 0};
    ::SetScrollInfo(Handle(), SB_CTL, &info, TRUE);
}

void ScrollBar::SetPosition(int position) {
    position = std::clamp(position, min_, max_);
    if (position == position_) return;
    position_ = position;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = position;
    // Redrawn with the next paint rather than at once: a thumb drag moves the bar up to 256 times, and an
    // immediate redraw on each move cost more than the rest of the colour update together.
    ::SetScrollInfo(Handle(), SB_CTL, &info, FALSE);
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

int ScrollBar::NewPosition(int code) const {
    switch (code) {
    case SB_LINELEFT:
        return position_ - smallChange_;
    case SB_LINERIGHT:
        return position_ + smallChange_;
    case SB_PAGELEFT:
        return position_ - largeChange_;
    case SB_PAGERIGHT:
        return position_ + largeChange_;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(Handle(), SB_CTL, &info);
        return info.nTrackPos;
    }
    case SB_LEFT:
        return min_;
    case SB_RIGHT:
        return max_;
    default:  // SB_ENDSCROLL
        return position_;
    }
}

void ScrollBar::OnHScroll(int code) {
    const int position = std::clamp(NewPosition(code), min_, max_);
    SetPosition(position);
    if (OnScroll) OnScroll(code, position);
}

}  // namespace ui
