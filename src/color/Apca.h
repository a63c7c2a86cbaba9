#pragma once
// APCA lightness contrast (Lc) of text on a background, and the uses it allows.
//
// The formula and its constants are APCA 0.0.98G-4g as published by A. Somers for the W3C
// (https://github.com/Myndex/apca-w3, src/apca-w3.js, "SA98G"); the uses are the APCA Readability
// Criterion's bronze simple mode (https://readtech.org/ARC/tests/bronze-simple-mode/). Unlike the WCAG
// ratio it depends on which colour is the text: dark text on a light background gives a positive Lc,
// light text on a dark one a negative Lc, and the same pair swapped gives a different magnitude.
#include <cstddef>
#include <string>
#include <vector>

#include "color/Rgb.h"

namespace velmira {

// The screen luminance APCA works from: each channel to the power 2.4 (no linear toe), weighted.
double ApcaLuminance(Rgb colour) noexcept;
double ApcaContrastOfLuminances(double text, double background) noexcept;
double ApcaContrast(Rgb text, Rgb background) noexcept;

// From the most demanding use to none; each use allows every use after it too.
enum class ApcaUse {
    BodyText,     // |Lc| 90: the preferred level for body text
    FluentText,   // 75: the least for fluently read text
    ContentText,  // 60: the least for other content text
    LargeText,    // 45: large and heavy text, headlines
    SpotText,     // 30: spot-readable text (placeholders, disabled controls)
    NonText,      // 15: non-text elements that must be seen
    NotUsable,
};
// Decided on the exact |Lc|, like the WCAG levels: 74.96 does not reach fluent text.
ApcaUse ApcaUseOf(double lc) noexcept;
// The use as the tooltip names it (code page 932 in the program).
const char* ApcaUseText(ApcaUse use) noexcept;

// "Lc 63.1", "Lc -68.5": one decimal, the magnitude rounded half up.
std::string LcText(double lc);

// The text colour's Lc against the picture's pixels under the text: the one of the smallest magnitude,
// with its sign; 0 when there are no pixels.
double WorstApcaContrastOver(Rgb text, const std::vector<Rgb>& pixels);

}  // namespace velmira
