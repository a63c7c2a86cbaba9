#pragma once
// Colours written as CSS writes them, read into the 8-bit sRGB colours the program edits.
//
// The forms are those of CSS Color 4: #RGB, #RGBA, #RRGGBB and #RRGGBBAA; rgb() and rgba() in the comma and the
// space syntax, with numbers or percentages; hsl() and hsla() with the hue bare or in deg, grad, rad or turn;
// hwb(); lab(), lch(), oklab() and oklch(); color() in srgb, srgb-linear, display-p3, a98-rgb, prophoto-rgb,
// rec2020, xyz, xyz-d50 and xyz-d65; the 148 named colours and transparent. Function names and keywords take any
// case, none counts as 0 (except in the legacy comma syntax, which refuses it), comments between tokens are
// skipped, and a function left open at the end of the text is closed, as CSS Syntax reads a stylesheet. The copy menu's Delphi
// form, $00BBGGRR, reads back too (its Win32 form, RGB(r, g, b), is rgb() already).
//
// rgb() clamps its channels as CSS does. A hue is reduced modulo 360 first; hsl() clamps only a saturation below
// 0%, hwb() scales whiteness and blackness to a grey when their sum reaches 100%. Any colour outside sRGB is
// then gamut mapped as CSS Color 4 says (ColorSpaces.h). The result is rounded to 8 bits a channel, half up,
// and its alpha is kept in 8 bits too, as browsers keep it.
#include <cstdint>
#include <optional>
#include <string_view>

#include "color/ColorSpaces.h"
#include "color/Rgb.h"

namespace velmira {

struct RgbaColour {
    Rgb rgb;
    std::uint8_t alpha = 255;  // 255 opaque
};

// The colour that the whole text is, blanks (spaces, tabs, line ends) around it allowed; nothing for any other
// text, six bare hexadecimal digits included.
std::optional<RgbaColour> ReadCssColour(std::string_view text);

// The gamma-encoded sRGB that a colour text stands for, before it is rounded to 8 bits: how far its channels are
// from a rounding edge.
std::optional<Triple> ExactSrgbOfCss(std::string_view text);

// The one colour of a text copied with its context around it: the value of a declaration (`property: colour;`,
// custom properties and quoted keys of script objects included), a ";" or "," after it, "!important", quotes or
// backticks around it, blanks. Nothing for a text with no colour or more than one: no guessing.
std::optional<RgbaColour> PastedCssColour(std::string_view text);

// The first colour that stands on its own in a line of text (not inside a longer word or name): what a line
// of a stylesheet or a list of colours gives.
std::optional<RgbaColour> FirstCssColourIn(std::string_view line);

// The colour drawn over an opaque one, source over, as a browser draws it: each channel is
// (colour * alpha + under * (255 - alpha)) / 255, rounded half up.
Rgb Over(RgbaColour colour, Rgb under) noexcept;

}  // namespace velmira
