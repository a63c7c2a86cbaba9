#pragma once
// One WM_PAINT drawn through an off-screen bitmap of the client area's size and copied to the screen at once, so
// that a window drawn in layers (a picture with text over it, a tip taking new content) never flickers.
#include <windows.h>

#include "ui/UniqueHandle.h"

namespace ui {

// Begins and ends the paint; `paint(dc)` draws the whole client area into `dc`. Without memory for the bitmap
// it draws straight onto the screen; an empty client area draws nothing.
template <class Paint>
void PaintBuffered(HWND hwnd, Paint&& paint) {
    const ScopedPaint screen(hwnd);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    const UniqueMemoryDC memory(::CreateCompatibleDC(screen.get()));
    const UniqueBitmap buffer(::CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    if (!memory || !buffer) {
        paint(screen.get());
        return;
    }
    const ScopedSelectObject select(memory.get(), buffer.get());
    paint(memory.get());
    ::BitBlt(screen.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace ui
