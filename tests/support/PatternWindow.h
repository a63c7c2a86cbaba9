#pragma once
// Stands in for another program's window under a pick: a topmost window that is never activated, either of one
// colour or with every pixel's colour given by its screen position, so that a pixel seen anywhere tells where it
// came from.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "ui/Canvas.h"
#include "ui/UniqueHandle.h"

namespace testsupport {

// The colour of screen pixel (x, y) under a pattern window, 0x00RRGGBB: neighbours differ in every channel.
std::uint32_t PatternPixel(int x, int y) noexcept;

// One-pixel black and white squares by screen position: black where x + y is even.
std::uint32_t CheckerPixel(int x, int y) noexcept;

class PatternWindow {
public:
    // Every pixel PatternPixel of its screen position.
    explicit PatternWindow(const RECT& screenRect);
    // Every pixel `colour`; `title` names the window for those who look for it from outside.
    PatternWindow(const RECT& screenRect, COLORREF colour, const char* title = "patch");
    // Every pixel `pixelAt` of its screen position (0x00RRGGBB).
    PatternWindow(const RECT& screenRect, std::uint32_t (*pixelAt)(int x, int y), const char* title);
    HWND Handle() const noexcept { return window_.get(); }

private:
    PatternWindow(const RECT& screenRect, std::unique_ptr<ui::Canvas> picture, const char* title);
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<ui::Canvas> picture_;
    ui::UniqueWindow window_;
};

// The screen's pixels in `rect`, as they are now.
std::unique_ptr<ui::Canvas> ScreenShot(const RECT& rect);

}  // namespace testsupport
