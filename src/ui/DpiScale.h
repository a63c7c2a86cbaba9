#pragma once
// Scaling a 96-DPI layout figure to a monitor's DPI: the one scaling of the program, without windows.h, so that
// pure layout code scales exactly as the windows do.

namespace ui {

constexpr unsigned kLayoutDpi = 96;

// value * dpi / 96, rounded to the nearest integer with halves away from zero, as MulDiv rounds.
constexpr int ScaleLayout(int value, unsigned dpi) noexcept {
    const long long product = static_cast<long long>(value) * static_cast<long long>(dpi);
    const long long half = kLayoutDpi / 2;
    return static_cast<int>((product >= 0 ? product + half : product - half) / static_cast<long long>(kLayoutDpi));
}

// The 96-DPI figure of a length at `dpi`, rounded the same way: what a window measured on the screen is as a
// layout figure.
constexpr int UnscaleLayout(int value, unsigned dpi) noexcept {
    if (dpi == 0) return value;
    const long long product = static_cast<long long>(value) * static_cast<long long>(kLayoutDpi);
    const long long half = dpi / 2;
    return static_cast<int>((product >= 0 ? product + half : product - half) / static_cast<long long>(dpi));
}

}  // namespace ui
