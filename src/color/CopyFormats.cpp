#include "color/CopyFormats.h"

#include <array>
#include <cstdio>
#include <functional>

#include "color/ColorSpaces.h"
#include "color/ColorText.h"
#include "color/CssColor.h"

namespace velmira {
namespace {

// Enough for any 8-bit colour in either form; the round trip over all of them in the tests says how many are
// used.
constexpr int kMostDecimals = 6;

using Numbers = std::array<double, 3>;
using Decimals = std::array<int, 3>;
using Compose = std::function<std::string(const std::array<std::string, 3>& numbers)>;

// A number with `decimals` decimals, trailing zeros dropped, and never "-0".
std::string NumberText(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

std::string Written(const Compose& compose, const Numbers& numbers, const Decimals& decimals) {
    return compose({NumberText(numbers[0], decimals[0]), NumberText(numbers[1], decimals[1]),
                    NumberText(numbers[2], decimals[2])});
}

bool ReadsBackAs(const std::string& text, Rgb colour) {
    const std::optional<RgbaColour> read = ReadCssColour(text);
    return read && read->alpha == 255 && read->rgb == colour;
}

// The same number of decimals for all three numbers, as few as read back to the colour; then each number on its
// own with fewer where the colour reads back all the same.
std::string ShortestText(Rgb colour, const Numbers& numbers, const Compose& compose) {
    Decimals decimals{kMostDecimals, kMostDecimals, kMostDecimals};
    for (int common = 0; common <= kMostDecimals; ++common) {
        const Decimals candidate{common, common, common};
        if (ReadsBackAs(Written(compose, numbers, candidate), colour)) {
            decimals = candidate;
            break;
        }
    }
    for (int& d : decimals) {
        while (d > 0) {
            --d;
            if (ReadsBackAs(Written(compose, numbers, decimals), colour)) continue;
            ++d;
            break;
        }
    }
    return Written(compose, numbers, decimals);
}

// A hue that rounds to 360 is written as 0, the same angle.
std::string HueText(const std::string& hue) {
    return hue == "360" ? "0" : hue;
}

std::string Formatted(const char* format, int a, int b, int c) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

}  // namespace

std::string RgbFunctionText(Rgb colour) {
    return Formatted("rgb(%d, %d, %d)", colour.red, colour.green, colour.blue);
}

std::string Win32RgbText(Rgb colour) {
    return Formatted("RGB(%d, %d, %d)", colour.red, colour.green, colour.blue);
}

std::string DelphiColourText(Rgb colour) {
    return Formatted("$00%02X%02X%02X", colour.blue, colour.green, colour.red);
}

std::string HslText(Rgb colour) {
    const Triple hsl = HslOf(colour);
    return ShortestText(colour, hsl, [](const std::array<std::string, 3>& n) {
        return "hsl(" + HueText(n[0]) + ", " + n[1] + "%, " + n[2] + "%)";
    });
}

std::string OklchText(Rgb colour) {
    const Triple lch = OklchOf(colour);
    return ShortestText(colour, lch, [](const std::array<std::string, 3>& n) {
        return "oklch(" + n[0] + " " + n[1] + " " + HueText(n[2]) + ")";
    });
}

std::vector<CopyFormat> CopyFormatsOf(Rgb colour) {
    return {{HexColourText(colour), "HTML / CSS"},       {RgbFunctionText(colour), "CSS"},
            {HslText(colour), "CSS"},                    {OklchText(colour), "CSS"},
            {Win32RgbText(colour), "Win32 C / C++"},     {DelphiColourText(colour), "Delphi TColor"}};
}

}  // namespace velmira
