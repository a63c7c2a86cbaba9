#include "color/CopyFormats.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "color/ColorSpaces.h"
#include "color/ColorText.h"

namespace velmira {
namespace {

constexpr int kMostDecimals = WrittenNumber::kMostDecimals;

// How near each channel of a copy's exact value is to the 8-bit value copied, in 8-bit units: 0.4 from the
// rounding edge, so that a reader whose arithmetic differs from ours in the last places of a float (a browser's
// single-precision pipeline, a library's other matrices) still rounds to the same colour.
constexpr double kMargin = 0.1;

constexpr double kPi = 3.14159265358979323846;


WrittenNumber Rounded(double value, int decimals) noexcept {
    return WrittenNumber{static_cast<long long>(std::floor(value * WrittenNumber::kPowersOfTen[decimals] + 0.5)),
                         decimals};
}

// A hue that rounds to 360 is written as 0, the same angle.
WrittenNumber WithoutFullTurn(WrittenNumber hue) noexcept {
    return hue.Value() == 360 ? WrittenNumber{0, 0} : hue;
}

// The digits with the decimal point put in, trailing zeros dropped.
std::string Text(WrittenNumber number) {
    std::string digits = std::to_string(number.digits);
    if (number.decimals == 0) return digits;
    if (digits.size() <= static_cast<std::size_t>(number.decimals))
        digits.insert(0, static_cast<std::size_t>(number.decimals) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(number.decimals), 1, '.');
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
    return digits;
}

using Numbers = std::array<double, 3>;

// Whether the three written numbers stand for a colour within the margin of each channel.
using Fits = bool (*)(const Written&, Rgb) noexcept;

Written WithDecimals(const Numbers& numbers, const std::array<int, 3>& decimals, int hue) noexcept {
    Written written{Rounded(numbers[0], decimals[0]), Rounded(numbers[1], decimals[1]),
                    Rounded(numbers[2], decimals[2])};
    written[static_cast<std::size_t>(hue)] = WithoutFullTurn(written[static_cast<std::size_t>(hue)]);
    return written;
}

// The same number of decimals for all three numbers, as few as land within the margin of every channel; then
// each number on its own with fewer where the colour stays within it.
Written FewestDecimals(Rgb colour, const Numbers& numbers, int hue, Fits fits) noexcept {
    std::array<int, 3> decimals{kMostDecimals, kMostDecimals, kMostDecimals};
    for (int common = 0; common <= kMostDecimals; ++common) {
        if (fits(WithDecimals(numbers, {common, common, common}, hue), colour)) {
            decimals = {common, common, common};
            break;
        }
    }
    for (int& d : decimals) {
        while (d > 0) {
            --d;
            if (fits(WithDecimals(numbers, decimals, hue), colour)) continue;
            ++d;
            break;
        }
    }
    return WithDecimals(numbers, decimals, hue);
}

bool WithinMargin(double value, int channel) noexcept {
    return std::fabs(value * 255 - channel) <= kMargin;
}

bool HslFits(const Written& hsl, Rgb colour) noexcept {
    const Triple encoded = SrgbOfHsl(hsl[0].Value(), hsl[1].Value() / 100, hsl[2].Value() / 100);
    return WithinMargin(encoded[0], colour.red) && WithinMargin(encoded[1], colour.green) &&
           WithinMargin(encoded[2], colour.blue);
}

// The margin of each 8-bit value in linear light, where the transfer function need not be applied to every
// candidate: the function is monotonic, so a linear value between these bounds encodes within the margin.
struct LinearMargins {
    std::array<double, 256> low, high;
    LinearMargins() noexcept {
        // A hair inside the margin, so that rounding in the two directions of the transfer function never lets
        // a candidate through that lands a hair outside it.
        constexpr double kInside = kMargin - 1e-9;
        for (int c = 0; c < 256; ++c) {
            low[static_cast<std::size_t>(c)] = LinearOfEncoded((c - kInside) / 255);
            high[static_cast<std::size_t>(c)] = LinearOfEncoded((c + kInside) / 255);
        }
    }
    bool Within(double linear, int channel) const noexcept {
        return linear >= low[static_cast<std::size_t>(channel)] && linear <= high[static_cast<std::size_t>(channel)];
    }
};

// OKLab's cube roots of LMS straight to linear sRGB: the margin test runs this for every candidate of every colour.
constexpr Matrix3 kLmsToLinearSrgb = Multiply(kXyzToLinearSrgb, kLmsToXyz);

bool OklchFits(const Written& lch, Rgb colour) noexcept {
    static const LinearMargins margins;
    // The hue changes least often among the candidates of a colour: its cosine and sine are kept.
    thread_local double lastHue = 0, cosine = 1, sine = 0;
    const double hue = lch[2].Value();
    if (hue != lastHue) {
        lastHue = hue;
        cosine = std::cos(hue * kPi / 180);
        sine = std::sin(hue * kPi / 180);
    }
    const double chroma = lch[1].Value();
    const Triple root = Multiply(kOklabToLmsRoot, Triple{lch[0].Value(), chroma * cosine, chroma * sine});
    const Triple linear =
        Multiply(kLmsToLinearSrgb, Triple{root[0] * root[0] * root[0], root[1] * root[1] * root[1],
                                          root[2] * root[2] * root[2]});
    return margins.Within(linear[0], colour.red) && margins.Within(linear[1], colour.green) &&
           margins.Within(linear[2], colour.blue);
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

Written HslNumbers(Rgb colour) {
    return FewestDecimals(colour, HslOf(colour), 0, HslFits);
}

Written OklchNumbers(Rgb colour) {
    return FewestDecimals(colour, OklchOf(colour), 2, OklchFits);
}

std::string HslText(Rgb colour) {
    const Written n = HslNumbers(colour);
    return "hsl(" + Text(n[0]) + ", " + Text(n[1]) + "%, " + Text(n[2]) + "%)";
}

std::string OklchText(Rgb colour) {
    const Written n = OklchNumbers(colour);
    return "oklch(" + Text(n[0]) + " " + Text(n[1]) + " " + Text(n[2]) + ")";
}

std::vector<CopyFormat> CopyFormatsOf(Rgb colour) {
    return {{HexColourText(colour), "HTML / CSS"},       {RgbFunctionText(colour), "CSS"},
            {HslText(colour), "CSS"},                    {OklchText(colour), "CSS"},
            {Win32RgbText(colour), "Win32 C / C++"},     {DelphiColourText(colour), "Delphi TColor"}};
}

}  // namespace velmira
