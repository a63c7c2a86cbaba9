#pragma once
// Contrast of a text colour against a background by the WCAG 2.x relative-luminance formula, and the texts of
// the preview's contrast tooltip.
//
// Shown ratios are rounded half up to two decimals, but every pass or fail is decided on the exact ratio:
// WCAG forbids rounding up to reach a threshold, so a ratio of 4.499 reads "4.50:1" and fails AA all the same.
// Rounding works on the ratio as computed in double precision; a figure that is a tie in decimal (6.345) is
// not one in binary, and goes whichever way the multiplication by 100 takes it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "color/Rgb.h"

namespace velmira {

// The linear light of an sRGB channel value (IEC 61966-2-1), 0 to 1; the same table serves the luminance
// below, the colour-vision simulation and OKLab.
double LinearChannel(std::uint8_t value) noexcept;

// Relative luminance, 0 (black) to 1 (white).
double RelativeLuminance(Rgb colour) noexcept;
// (lighter + 0.05) / (darker + 0.05), 1 to 21, whichever order the two come in.
double ContrastRatioOfLuminances(double a, double b) noexcept;
double ContrastRatio(Rgb a, Rgb b) noexcept;

// The thresholds: AA asks 4.5 for normal text and 3 for large text, AAA 7 and 4.5.
constexpr double kAaNormal = 4.5;
constexpr double kAaLarge = 3.0;
constexpr double kAaaNormal = 7.0;
constexpr double kAaaLarge = 4.5;

struct ContrastLevels {
    bool aaNormal = false;
    bool aaLarge = false;
    bool aaaNormal = false;
    bool aaaLarge = false;
};
ContrastLevels LevelsOf(double ratio) noexcept;

// "4.54:1": two decimals, half up.
std::string RatioText(double ratio);
// "12.3%": a share from 0 to 1 as a percentage with one decimal, half up.
std::string PercentText(double share);

// The text colour's contrast against every pixel of a picture under the text.
struct PictureContrast {
    std::size_t pixels = 0;
    double worst = 0;        // the lowest ratio
    double median = 0;       // of an even count, the mean of the two middle ratios
    double shareBelowAa = 0; // share of pixels whose exact ratio is below 4.5, 0 to 1
};
// `pixels` is taken by value: the median is found by reordering it in place.
PictureContrast PictureContrastOf(Rgb text, std::vector<Rgb> pixels);

// The tooltip's text for a colour pair, and for a picture background (lines separated by "\n").
std::string ColourPairTipText(Rgb text, Rgb background);
std::string PictureTipText(const PictureContrast& contrast);

// The pixel among `pixels` that the candidate stands out least against (`pixels` is not empty).
Rgb LeastContrasting(Rgb candidate, const std::vector<Rgb>& pixels);

// The line under a pick's loupe: the candidate colour as the copy button copies it (six upper-case hexadecimal
// digits), two spaces, and its ratio against the other colour of the pair: "FF8000  3.02:1".
std::string PickReadoutText(Rgb candidate, Rgb other);

}  // namespace velmira
