#include "support/PatternWindow.h"

#include <optional>
#include <stdexcept>
#include <utility>

namespace testsupport {

std::uint32_t PatternPixel(int x, int y) noexcept {
    const auto red = static_cast<std::uint32_t>(x * 37) & 0xFF, green = static_cast<std::uint32_t>(y * 53) & 0xFF;
    const auto blue = static_cast<std::uint32_t>(x * 11 + y * 29 + 0x40) & 0xFF;
    return (red << 16) | (green << 8) | blue;
}

std::uint32_t CheckerPixel(int x, int y) noexcept {
    return (x + y) % 2 == 0 ? 0x000000 : 0xFFFFFF;
}

namespace {

// The window's picture: `colour` everywhere, or without one the pixels `pixelAt` gives for its screen position.
std::unique_ptr<ui::Canvas> PictureOf(const RECT& r, std::optional<COLORREF> colour,
                                      std::uint32_t (*pixelAt)(int x, int y) = &PatternPixel) {
    auto picture = std::make_unique<ui::Canvas>(r.right - r.left, r.bottom - r.top);
    for (int y = 0; y < picture->Height(); ++y)
        for (int x = 0; x < picture->Width(); ++x)
            picture->Row(y)[x] = colour ? static_cast<std::uint32_t>(GetRValue(*colour) << 16 |
                                                                     GetGValue(*colour) << 8 | GetBValue(*colour))
                                        : pixelAt(r.left + x, r.top + y);
    return picture;
}

}  // namespace

PatternWindow::PatternWindow(const RECT& r) : PatternWindow(r, PictureOf(r, std::nullopt), "pattern") {}

PatternWindow::PatternWindow(const RECT& r, std::uint32_t (*pixelAt)(int x, int y), const char* title)
    : PatternWindow(r, PictureOf(r, std::nullopt, pixelAt), title) {}

PatternWindow::PatternWindow(const RECT& r, COLORREF colour, const char* title)
    : PatternWindow(r, PictureOf(r, colour), title) {}

PatternWindow::PatternWindow(const RECT& r, std::unique_ptr<ui::Canvas> picture, const char* title)
    : picture_(std::move(picture)) {
    static const bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &PatternWindow::Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VelmiraTestPattern";
        return ::RegisterClassExA(&wc) != 0;
    }();
    if (!registered) throw std::runtime_error("cannot register the pattern window");
    window_.reset(::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "VelmiraTestPattern",
                                    title, WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr,
                                    nullptr, ::GetModuleHandleA(nullptr), nullptr));
    if (!window_) throw std::runtime_error("cannot create the pattern window");
    ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture_.get()));
    ::ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(window_.get());
}

LRESULT CALLBACK PatternWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        if (const auto* picture = reinterpret_cast<const ui::Canvas*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA)))
            ::BitBlt(dc, 0, 0, picture->Width(), picture->Height(), picture->DC(), 0, 0, SRCCOPY);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

std::unique_ptr<ui::Canvas> ScreenShot(const RECT& rect) {
    auto shot = std::make_unique<ui::Canvas>(rect.right - rect.left, rect.bottom - rect.top);
    {
        ui::ScopedGetDC screen(nullptr);
        ::BitBlt(shot->DC(), 0, 0, shot->Width(), shot->Height(), screen.get(), rect.left, rect.top, SRCCOPY);
    }
    ::GdiFlush();
    return shot;
}

}  // namespace testsupport
