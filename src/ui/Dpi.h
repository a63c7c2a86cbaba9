#pragma once
// Dots per inch of the monitor a window or a screen point is on. Layout figures are written for 96 dots per
// inch and scaled here, in one place, when a window is made or its DPI changes; picture pixels and screen
// coordinates of the pick are physical and never pass through here.
#include <windows.h>

#include "ui/DpiScale.h"

namespace ui {

// A 96-DPI rectangle at `dpi`: its corner and its size scaled each, so that a control keeps the layout's size.
inline RECT ScaleLayoutRect(const RECT& layout, UINT dpi) noexcept {
    const int x = ScaleLayout(layout.left, dpi), y = ScaleLayout(layout.top, dpi);
    return RECT{x, y, x + ScaleLayout(layout.right - layout.left, dpi),
                y + ScaleLayout(layout.bottom - layout.top, dpi)};
}

// The DPI of the monitor the window is on (GetDpiForWindow where the system has it), else the system's.
UINT DpiOfWindow(HWND hwnd) noexcept;

// The DPI of the monitor that holds the screen point, or the nearest one.
UINT DpiAtPoint(POINT screenPoint) noexcept;

// The system's DPI: what a program that is not per-monitor aware is drawn at.
UINT SystemDpi() noexcept;

// The window rectangle around `client` for a window of these styles at `dpi`: its frame and caption drawn at that
// DPI (AdjustWindowRectExForDpi where the system has it, else the system DPI's frame).
RECT FrameAround(RECT client, DWORD style, DWORD exStyle, UINT dpi) noexcept;

// The messages of a per-monitor aware window, newer than the headers the program is built against.
constexpr UINT kWmDpiChanged = 0x02E0;
constexpr UINT kWmGetDpiScaledSize = 0x02E4;

}  // namespace ui
