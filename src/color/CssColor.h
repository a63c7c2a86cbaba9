#pragma once
// Colours written as CSS writes them, read into the 8-bit sRGB colours the program edits.
//
// The forms are those of CSS Color 4: #RGB, #RGBA, #RRGGBB and #RRGGBBAA; rgb() and rgba() in the comma and the
// space syntax, with numbers or percentages; hsl() and hsla() with the hue bare or in deg, grad, rad or turn;
// hwb(); lab(), lch(), oklab() and oklch(); color() in srgb, srgb-linear and display-p3; the 148 named colours
// and transparent. Function names and keywords take any case, and none counts as 0. The copy menu's Delphi
// form, $00BBGGRR, reads back too (its Win32 form, RGB(r, g, b), is rgb() already).
//
// rgb(), hsl() and hwb() clamp their channels as CSS does, so they never leave sRGB. Any other colour outside
// sRGB is gamut mapped as CSS Color 4 says (ColorSpaces.h). The result is rounded to 8 bits a channel, half up,
// and its alpha is kept in 8 bits too, as browsers keep it.
#include <cstdint>
#include <optional>
#include <string_view>

#include "color/Rgb.h"

namespace velmira {

struct RgbaColour {
    Rgb rgb;
    std::uint8_t alpha = 255;  // 255 opaque
};

// The colour that the whole text is, blanks (spaces, tabs, line ends) around it allowed; nothing for any other
// text, six bare hexadecimal digits included.
std::optional<RgbaColour> ReadCssColour(std::string_view text);

// The first colour that stands on its own in a line of text (not inside a longer word or name): what a line
// of a stylesheet or a list of colours gives.
std::optional<RgbaColour> FirstCssColourIn(std::string_view line);

// The colour drawn over an opaque one, source over, as a browser draws it: each channel is
// (colour * alpha + under * (255 - alpha)) / 255, rounded half up.
Rgb Over(RgbaColour colour, Rgb under) noexcept;

}  // namespace velmira
