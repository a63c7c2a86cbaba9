#pragma once
// An 8-bit sRGB colour, the unit every colour computation of the program takes and gives.
#include <cstdint>

namespace velmira {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

constexpr bool operator==(Rgb a, Rgb b) noexcept {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}
constexpr bool operator!=(Rgb a, Rgb b) noexcept {
    return !(a == b);
}

}  // namespace velmira
