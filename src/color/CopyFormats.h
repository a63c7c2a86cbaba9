#pragma once
// The texts a colour is copied as from the copy buttons' menu, in the menu's order. Each reads back as the same
// colour (CssColor.h), and the decimal forms carry as few decimals as that needs.
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

std::string RgbFunctionText(Rgb colour);      // "rgb(18, 171, 12)"
std::string HslText(Rgb colour);              // "hsl(116.9, 86.9%, 35.9%)"
std::string OklchText(Rgb colour);            // "oklch(0.6279 0.2577 29.23)"
std::string Win32RgbText(Rgb colour);         // "RGB(18, 171, 12)"
std::string DelphiColourText(Rgb colour);     // "$000CAB12"

}  // namespace velmira
