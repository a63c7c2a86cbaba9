#pragma once
// An off-screen bitmap with its own memory DC: 32 bits per pixel, top row first, so that its pixels can be
// read and written directly as well as drawn with GDI.
#include <windows.h>

#include <cstdint>

#include "ui/UniqueHandle.h"

namespace ui {

class Canvas {
public:
    Canvas(int width, int height);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas();

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    HDC DC() const noexcept { return dc_.get(); }
    HBITMAP Bitmap() const noexcept { return bitmap_.get(); }

    void Fill(COLORREF color);
    // The pixel as a COLORREF (red in the low byte); CLR_INVALID outside the canvas.
    COLORREF Pixel(int x, int y) const;
    std::uint32_t* Row(int y) const noexcept { return bits_ + static_cast<std::size_t>(y) * width_; }

private:
    int width_;
    int height_;
    UniqueMemoryDC dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ original_ = nullptr;
    std::uint32_t* bits_ = nullptr;  // owned by bitmap_
};

}  // namespace ui
