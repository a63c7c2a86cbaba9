#pragma once
// An 8-bit sRGB colour, the unit every colour computation of the program takes and gives.
#include <cstdint>

#include "text/ChannelText.h"

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

// The colour in the platform's packed order, red in the low byte.
constexpr std::uint32_t Packed(Rgb colour) noexcept {
    return PackColor(colour.red, colour.green, colour.blue);
}

}  // namespace velmira
