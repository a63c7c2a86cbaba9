#include "color/CssColor.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "color/ColorSpaces.h"
#include "color/CssSyntax.h"
#include "color/NamedColors.h"
#include "text/IntegerReading.h"

namespace velmira {
namespace {

using css::Arguments;
using css::Component;
using css::IsLetter;
using css::IsNameByte;
using css::SameName;
using css::Scanner;

double Clamp01(double v) noexcept {
    return std::clamp(v, 0.0, 1.0);
}

// A value that is a percentage of `full`, or a number as it is; none is 0.
double Scaled(const Component& c, double full) noexcept {
    if (c.kind == Component::None) return 0;
    return c.kind == Component::Percentage ? c.value / 100 * full : c.value;
}

bool IsNumberOrPercentage(const Component& c, bool noneAllowed) noexcept {
    return c.kind == Component::Number || c.kind == Component::Percentage || (noneAllowed && c.kind == Component::None);
}

bool IsHue(const Component& c, bool noneAllowed) noexcept {
    return c.kind == Component::Number || c.kind == Component::Angle || (noneAllowed && c.kind == Component::None);
}

double Hue(const Component& c) noexcept {
    return c.kind == Component::None ? 0 : c.value;
}

std::uint8_t AlphaOf(const Arguments& args) noexcept {
    if (!args.hasAlpha) return 255;
    const double alpha = Clamp01(Scaled(args.alpha, 1));
    return static_cast<std::uint8_t>(std::floor(alpha * 255 + 0.5));
}

RgbaColour Colour(const Triple& encoded, const Arguments& args) noexcept {
    return RgbaColour{RgbOfEncoded(encoded), AlphaOf(args)};
}

RgbaColour MappedColour(const Triple& oklab, const Arguments& args) noexcept {
    return Colour(GamutMappedSrgb(oklab), args);
}

std::optional<RgbaColour> RgbFunction(const Arguments& args) {
    const std::vector<Component>& v = args.values;
    if (args.commas) {
        const Component::Kind kind = v[0].kind;
        for (const Component& c : v)
            if (c.kind != kind || (kind != Component::Number && kind != Component::Percentage)) return std::nullopt;
    } else {
        for (const Component& c : v)
            if (!IsNumberOrPercentage(c, true)) return std::nullopt;
    }
    Triple rgb{};
    for (int i = 0; i < 3; ++i) rgb[i] = Clamp01(Scaled(v[i], 255) / 255);
    return Colour(rgb, args);
}

std::optional<RgbaColour> HslFunction(const Arguments& args) {
    const std::vector<Component>& v = args.values;
    const bool none = !args.commas;
    if (!IsHue(v[0], none)) return std::nullopt;
    for (int i = 1; i < 3; ++i)
        if (args.commas ? v[i].kind != Component::Percentage : !IsNumberOrPercentage(v[i], true)) return std::nullopt;
    return Colour(SrgbOfHsl(Hue(v[0]), Clamp01(Scaled(v[1], 100) / 100), Clamp01(Scaled(v[2], 100) / 100)), args);
}

std::optional<RgbaColour> HwbFunction(const Arguments& args) {
    const std::vector<Component>& v = args.values;
    if (args.commas || !IsHue(v[0], true) || !IsNumberOrPercentage(v[1], true) || !IsNumberOrPercentage(v[2], true))
        return std::nullopt;
    return Colour(SrgbOfHwb(Hue(v[0]), Clamp01(Scaled(v[1], 100) / 100), Clamp01(Scaled(v[2], 100) / 100)), args);
}

// lab(), lch(), oklab(), oklch(): lightness, then two axes or chroma and hue.
std::optional<RgbaColour> LabFunction(const Arguments& args, bool ok, bool polar) {
    const std::vector<Component>& v = args.values;
    if (args.commas || !IsNumberOrPercentage(v[0], true) || !IsNumberOrPercentage(v[1], true)) return std::nullopt;
    if (polar ? !IsHue(v[2], true) : !IsNumberOrPercentage(v[2], true)) return std::nullopt;
    const double fullLightness = ok ? 1 : 100;
    const double fullAxis = ok ? 0.4 : 125;
    const double fullChroma = ok ? 0.4 : 150;
    const double lightness = std::clamp(Scaled(v[0], fullLightness), 0.0, fullLightness);
    Triple lab;
    if (polar)
        lab = RectangularOfPolar(Triple{lightness, std::max(Scaled(v[1], fullChroma), 0.0), Hue(v[2])});
    else
        lab = Triple{lightness, Scaled(v[1], fullAxis), Scaled(v[2], fullAxis)};
    return MappedColour(ok ? lab : OklabOfLab(lab), args);
}

// color(space c1 c2 c3 [/ alpha]): the scanner stands after the space's name.
std::optional<RgbaColour> ColorFunction(std::string_view space, Scanner& scanner) {
    Arguments args;
    if (!scanner.ReadArguments(args) || args.commas) return std::nullopt;
    Triple c{};
    for (int i = 0; i < 3; ++i) {
        if (!IsNumberOrPercentage(args.values[i], true)) return std::nullopt;
        c[i] = Scaled(args.values[i], 1);
    }
    Triple xyz;
    if (SameName(space, "srgb")) {
        if (InSrgbGamut(c)) return Colour(c, args);
        xyz = Multiply(kLinearSrgbToXyz, LinearOfEncoded(c));
    } else if (SameName(space, "srgb-linear")) {
        xyz = Multiply(kLinearSrgbToXyz, c);
    } else if (SameName(space, "display-p3")) {
        xyz = Multiply(kLinearDisplayP3ToXyz, LinearOfEncoded(c));
    } else {
        return std::nullopt;
    }
    return MappedColour(OklabOfXyz(xyz), args);
}

std::optional<RgbaColour> Function(std::string_view name, Scanner& scanner) {
    if (SameName(name, "color")) {
        scanner.SkipBlanks();
        const std::string_view space = scanner.Name();
        if (space.empty()) return std::nullopt;
        return ColorFunction(space, scanner);
    }
    Arguments args;
    if (!scanner.ReadArguments(args)) return std::nullopt;
    if (SameName(name, "rgb") || SameName(name, "rgba")) return RgbFunction(args);
    if (SameName(name, "hsl") || SameName(name, "hsla")) return HslFunction(args);
    if (SameName(name, "hwb")) return HwbFunction(args);
    if (SameName(name, "lab")) return LabFunction(args, false, false);
    if (SameName(name, "lch")) return LabFunction(args, false, true);
    if (SameName(name, "oklab")) return LabFunction(args, true, false);
    if (SameName(name, "oklch")) return LabFunction(args, true, true);
    return std::nullopt;
}

// #RGB, #RGBA, #RRGGBB, #RRGGBBAA: the scanner stands after "#".
std::optional<RgbaColour> HexColour(Scanner& scanner) {
    const std::string_view digits = scanner.Name();
    for (const char c : digits)
        if (HexDigitValue(c) < 0) return std::nullopt;
    std::uint8_t channels[4] = {0, 0, 0, 255};
    if (digits.size() == 3 || digits.size() == 4) {
        for (std::size_t i = 0; i < digits.size(); ++i) channels[i] = static_cast<std::uint8_t>(HexDigitValue(digits[i]) * 17);
    } else if (digits.size() == 6 || digits.size() == 8) {
        for (std::size_t i = 0; i < digits.size() / 2; ++i)
            channels[i] = static_cast<std::uint8_t>(HexDigitValue(digits[2 * i]) * 16 + HexDigitValue(digits[2 * i + 1]));
    } else {
        return std::nullopt;
    }
    return RgbaColour{Rgb{channels[0], channels[1], channels[2]}, channels[3]};
}

// $00BBGGRR, the form of a Delphi TColor: the scanner stands after "$".
std::optional<RgbaColour> DelphiColour(Scanner& scanner) {
    const std::string_view digits = scanner.Name();
    if (digits.size() != 8 || digits[0] != '0' || digits[1] != '0') return std::nullopt;
    std::uint8_t bytes[3];
    for (int i = 0; i < 3; ++i) {
        const int high = HexDigitValue(digits[2 + 2 * i]), low = HexDigitValue(digits[3 + 2 * i]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return RgbaColour{Rgb{bytes[2], bytes[1], bytes[0]}, 255};
}

// The colour that starts where the scanner stands, which is left after it.
std::optional<RgbaColour> ColourAt(Scanner& scanner) {
    if (scanner.Take('#')) return HexColour(scanner);
    if (scanner.Take('$')) return DelphiColour(scanner);
    const std::string_view name = scanner.Name();
    if (name.empty()) return std::nullopt;
    if (scanner.Take('(')) return Function(name, scanner);
    if (SameName(name, "transparent")) return RgbaColour{Rgb{0, 0, 0}, 0};
    if (const std::optional<Rgb> named = NamedColourOf(name)) return RgbaColour{*named, 255};
    return std::nullopt;
}

}  // namespace

std::optional<RgbaColour> ReadCssColour(std::string_view text) {
    Scanner scanner(text, 0);
    scanner.SkipBlanks();
    std::optional<RgbaColour> colour = ColourAt(scanner);
    scanner.SkipBlanks();
    if (!scanner.AtEnd()) return std::nullopt;
    return colour;
}

std::optional<RgbaColour> FirstCssColourIn(std::string_view line) {
    for (std::size_t pos = 0; pos < line.size(); ++pos) {
        const char c = line[pos];
        const bool startsWord = pos == 0 || !IsNameByte(line[pos - 1]);
        if (!startsWord || !(c == '#' || c == '$' || IsLetter(c))) continue;
        Scanner scanner(line, pos);
        const std::optional<RgbaColour> colour = ColourAt(scanner);
        // A colour must end where its word does: "#12345" in "#123456z" or "red" in "red-team" is none.
        if (colour && !IsNameByte(scanner.Peek())) return colour;
    }
    return std::nullopt;
}

Rgb Over(RgbaColour colour, Rgb under) noexcept {
    const int a = colour.alpha;
    auto channel = [a](int top, int bottom) {
        return static_cast<std::uint8_t>((2 * (top * a + bottom * (255 - a)) + 255) / 510);
    };
    return Rgb{channel(colour.rgb.red, under.red), channel(colour.rgb.green, under.green),
               channel(colour.rgb.blue, under.blue)};
}

}  // namespace velmira
