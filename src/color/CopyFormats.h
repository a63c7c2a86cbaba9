#pragma once
// The texts a colour is copied as from the copy buttons' menu, in the menu's order. Each reads back as the same
// colour (CssColor.h). The decimal forms carry as few decimals as put the exact value of each channel within 0.1
// of the 8-bit value copied, 0.4 from the rounding edge: far enough that a browser's or a library's float
// arithmetic, which differs from ours in the last places, reads the same colour.
#include <array>
#include <string>
#include <vector>

#include "color/Rgb.h"

namespace velmira {

struct CopyFormat {
    std::string text;  // what goes on the clipboard
    const char* use;   // where the form is written, shown beside it
};

// #RRGGBB, rgb(), hsl(), oklch(), RGB(r, g, b) for Win32 C and C++, $00BBGGRR for a Delphi TColor.
std::vector<CopyFormat> CopyFormatsOf(Rgb colour);

// A number of a decimal form as written: its digits over a power of ten. The quotient is exactly the double that
// the colour reader makes of the text.
struct WrittenNumber {
    static constexpr int kMostDecimals = 6;  // enough for any 8-bit colour in either form
    static constexpr double kPowersOfTen[kMostDecimals + 1] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};

    long long digits = 0;
    int decimals = 0;  // 0 to kMostDecimals
    double Value() const noexcept { return static_cast<double>(digits) / kPowersOfTen[decimals]; }
};
using Written = std::array<WrittenNumber, 3>;

// The numbers of the hsl() copy (hue in degrees, saturation and lightness in percent) and of the oklch() copy
// (lightness, chroma, hue in degrees), each with the fewest decimals that keep every channel within the margin.
Written HslNumbers(Rgb colour);
Written OklchNumbers(Rgb colour);

std::string RgbFunctionText(Rgb colour);      // "rgb(18, 171, 12)"
std::string HslText(Rgb colour);              // "hsl(116.9, 86.9%, 35.9%)"
std::string OklchText(Rgb colour);            // "oklch(0.6279 0.2577 29.23)"
std::string Win32RgbText(Rgb colour);         // "RGB(18, 171, 12)"
std::string DelphiColourText(Rgb colour);     // "$000CAB12"

}  // namespace velmira
