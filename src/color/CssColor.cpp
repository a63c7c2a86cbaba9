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

// Values beyond this size mean nothing more for a colour, and keep every conversion finite.
constexpr double kLargestValue = 1e6;

// A colour as its text gives it, before its channels are rounded to 8 bits.
struct ExactColour {
    Triple rgb;  // gamma-encoded sRGB, within 0 to 1
    std::uint8_t alpha = 255;
};

ExactColour ExactOf(Rgb colour, std::uint8_t alpha) noexcept {
    return ExactColour{Triple{colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0}, alpha};
}

double Clamp01(double v) noexcept {
    return std::clamp(v, 0.0, 1.0);
}

// A value that is a percentage of `full`, or a number as it is; none is 0.
double Scaled(const Component& c, double full) noexcept {
    if (c.kind == Component::None) return 0;
    const double value = std::clamp(c.value, -kLargestValue, kLargestValue);
    return c.kind == Component::Percentage ? value / 100 * full : value;
}

bool IsNumberOrPercentage(const Component& c, bool noneAllowed) noexcept {
    return c.kind == Component::Number || c.kind == Component::Percentage || (noneAllowed && c.kind == Component::None);
}

bool IsHue(const Component& c, bool noneAllowed) noexcept {
    return c.kind == Component::Number || c.kind == Component::Angle || (noneAllowed && c.kind == Component::None);
}

// Reduced modulo 360 first: a hue of any size is the angle it names.
double Hue(const Component& c) noexcept {
    return c.kind == Component::None ? 0 : std::fmod(c.value, 360.0);
}

// Alpha is a number or a percentage, never an angle; none only outside the legacy comma syntax.
bool AlphaIsValid(const Arguments& args) noexcept {
    return !args.hasAlpha || IsNumberOrPercentage(args.alpha, !args.commas);
}

std::uint8_t AlphaOf(const Arguments& args) noexcept {
    if (!args.hasAlpha) return 255;
    const double alpha = Clamp01(Scaled(args.alpha, 1));
    return static_cast<std::uint8_t>(std::floor(alpha * 255 + 0.5));
}

ExactColour Colour(const Triple& encoded, const Arguments& args) noexcept {
    return ExactColour{encoded, AlphaOf(args)};
}

ExactColour MappedColour(const Triple& oklab, const Arguments& args) noexcept {
    return Colour(GamutMappedSrgb(oklab), args);
}

// hsl() and hwb() can leave sRGB (saturation beyond 100%, whiteness below 0%): mapped as any other colour.
ExactColour MappedEncodedColour(const Triple& encoded, const Arguments& args) noexcept {
    if (InSrgbGamut(encoded)) return Colour(encoded, args);
    return MappedColour(OklabOfEncodedSrgb(encoded), args);
}

std::optional<ExactColour> RgbFunction(const Arguments& args) {
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

std::optional<ExactColour> HslFunction(const Arguments& args) {
    const std::vector<Component>& v = args.values;
    const bool none = !args.commas;
    if (!IsHue(v[0], none)) return std::nullopt;
    for (int i = 1; i < 3; ++i)
        if (args.commas ? v[i].kind != Component::Percentage : !IsNumberOrPercentage(v[i], true)) return std::nullopt;
    // Only a saturation below 0% is clamped; the rest goes through the conversion as it is.
    const double saturation = std::max(Scaled(v[1], 100) / 100, 0.0);
    return MappedEncodedColour(SrgbOfHsl(Hue(v[0]), saturation, Scaled(v[2], 100) / 100), args);
}

std::optional<ExactColour> HwbFunction(const Arguments& args) {
    const std::vector<Component>& v = args.values;
    if (args.commas || !IsHue(v[0], true) || !IsNumberOrPercentage(v[1], true) || !IsNumberOrPercentage(v[2], true))
        return std::nullopt;
    return MappedEncodedColour(SrgbOfHwb(Hue(v[0]), Scaled(v[1], 100) / 100, Scaled(v[2], 100) / 100), args);
}

// lab(), lch(), oklab(), oklch(): lightness, then two axes or chroma and hue.
std::optional<ExactColour> LabFunction(const Arguments& args, bool ok, bool polar) {
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

// The spaces of color() other than srgb, by their names.
struct ColorFunctionSpace {
    const char* name;
    Triple (*xyzOf)(const Triple&) noexcept;
};
constexpr ColorFunctionSpace kColorFunctionSpaces[] = {
    {"srgb-linear", XyzOfLinearSrgb}, {"display-p3", XyzOfDisplayP3}, {"a98-rgb", XyzOfA98Rgb},
    {"prophoto-rgb", XyzOfProPhotoRgb}, {"rec2020", XyzOfRec2020},   {"xyz", XyzOfXyzD65},
    {"xyz-d65", XyzOfXyzD65},           {"xyz-d50", XyzOfXyzD50},
};

std::optional<Triple> XyzOfRgbSpace(std::string_view space, const Triple& c) noexcept {
    for (const ColorFunctionSpace& known : kColorFunctionSpaces)
        if (SameName(space, known.name)) return known.xyzOf(c);
    return std::nullopt;
}

// color(space c1 c2 c3 [/ alpha]): the scanner stands after the space's name.
std::optional<ExactColour> ColorFunction(std::string_view space, Scanner& scanner) {
    Arguments args;
    if (!scanner.ReadArguments(args) || args.commas) return std::nullopt;
    Triple c{};
    for (int i = 0; i < 3; ++i) {
        if (!IsNumberOrPercentage(args.values[i], true)) return std::nullopt;
        c[i] = Scaled(args.values[i], 1);
    }
    if (!AlphaIsValid(args)) return std::nullopt;
    if (SameName(space, "srgb")) return MappedEncodedColour(c, args);
    const std::optional<Triple> xyz = XyzOfRgbSpace(space, c);
    if (!xyz) return std::nullopt;
    return MappedColour(OklabOfXyz(*xyz), args);
}

std::optional<ExactColour> Function(std::string_view name, Scanner& scanner) {
    if (SameName(name, "color")) {
        scanner.SkipBlanks();
        const std::string_view space = scanner.Name();
        if (space.empty()) return std::nullopt;
        return ColorFunction(space, scanner);
    }
    Arguments args;
    if (!scanner.ReadArguments(args) || !AlphaIsValid(args)) return std::nullopt;
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
std::optional<ExactColour> HexColour(Scanner& scanner) {
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
    return ExactOf(Rgb{channels[0], channels[1], channels[2]}, channels[3]);
}

// $00BBGGRR, the form of a Delphi TColor: the scanner stands after "$".
std::optional<ExactColour> DelphiColour(Scanner& scanner) {
    const std::string_view digits = scanner.Name();
    if (digits.size() != 8 || digits[0] != '0' || digits[1] != '0') return std::nullopt;
    std::uint8_t bytes[3];
    for (int i = 0; i < 3; ++i) {
        const int high = HexDigitValue(digits[2 + 2 * i]), low = HexDigitValue(digits[3 + 2 * i]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return ExactOf(Rgb{bytes[2], bytes[1], bytes[0]}, 255);
}

// The colour that starts where the scanner stands, which is left after it.
std::optional<ExactColour> ColourAt(Scanner& scanner) {
    if (scanner.Take('#')) return HexColour(scanner);
    if (scanner.Take('$')) return DelphiColour(scanner);
    const std::string_view name = scanner.Name();
    if (name.empty()) return std::nullopt;
    if (scanner.Take('(')) return Function(name, scanner);
    if (SameName(name, "transparent")) return ExactOf(Rgb{0, 0, 0}, 0);
    if (const std::optional<Rgb> named = NamedColourOf(name)) return ExactOf(*named, 255);
    return std::nullopt;
}

std::optional<ExactColour> ExactColourOf(std::string_view text) {
    Scanner scanner(text, 0);
    scanner.SkipBlanks();
    std::optional<ExactColour> colour = ColourAt(scanner);
    scanner.SkipBlanks();
    if (!scanner.AtEnd()) return std::nullopt;
    return colour;
}

std::optional<RgbaColour> Rounded(const std::optional<ExactColour>& colour) noexcept {
    if (!colour) return std::nullopt;
    return RgbaColour{RgbOfEncoded(colour->rgb), colour->alpha};
}

}  // namespace

std::optional<RgbaColour> ReadCssColour(std::string_view text) {
    return Rounded(ExactColourOf(text));
}

std::optional<Triple> ExactSrgbOfCss(std::string_view text) {
    const std::optional<ExactColour> colour = ExactColourOf(text);
    if (!colour) return std::nullopt;
    return colour->rgb;
}

namespace {

std::string_view Trimmed(std::string_view text) noexcept {
    while (!text.empty() && css::IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && css::IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsQuote(char c) noexcept {
    return c == '\'' || c == '"' || c == '`';
}

// "name:" or a quoted key and ":" in front of a value, taken off.
std::string_view WithoutDeclarationName(std::string_view text) noexcept {
    std::size_t end = 0;
    if (!text.empty() && IsQuote(text.front())) {
        end = text.find(text.front(), 1);
        if (end == std::string_view::npos) return text;
        ++end;
    } else {
        while (end < text.size() && IsNameByte(text[end])) ++end;
        if (end == 0 || css::IsDigit(text.front())) return text;
    }
    const std::string_view rest = Trimmed(text.substr(end));
    return !rest.empty() && rest.front() == ':' ? Trimmed(rest.substr(1)) : text;
}

// "!important" after a value (any case, blanks allowed after "!"), taken off.
std::string_view WithoutImportant(std::string_view text) noexcept {
    constexpr std::string_view kImportant = "important";
    if (text.size() < kImportant.size() || !SameName(text.substr(text.size() - kImportant.size()), kImportant))
        return text;
    const std::string_view before = Trimmed(text.substr(0, text.size() - kImportant.size()));
    return !before.empty() && before.back() == '!' ? Trimmed(before.substr(0, before.size() - 1)) : text;
}

// Where a function whose arguments start at `pos` ends: after its closing parenthesis, nested ones and strings
// counted, or at the end of the text.
std::size_t EndOfFunction(std::string_view text, std::size_t pos) noexcept {
    for (int depth = 1; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (IsQuote(c)) {
            pos = text.find(c, pos + 1);
            if (pos == std::string_view::npos) return text.size();
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            return pos + 1;
        }
    }
    return text.size();
}

}  // namespace

std::optional<RgbaColour> PastedCssColour(std::string_view text) {
    std::string_view value = WithoutDeclarationName(Trimmed(text));
    if (!value.empty() && (value.back() == ';' || value.back() == ',')) value = Trimmed(value.substr(0, value.size() - 1));
    value = WithoutImportant(value);
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return ReadCssColour(value);
}

std::optional<RgbaColour> FirstCssColourIn(std::string_view line) {
    for (std::size_t pos = 0; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (IsQuote(c)) {  // a string is text, not a colour
            const std::size_t end = line.find(c, pos + 1);
            if (end == std::string_view::npos) return std::nullopt;
            pos = end;
            continue;
        }
        const bool startsWord = pos == 0 || !IsNameByte(line[pos - 1]);
        if (!startsWord || !(c == '#' || c == '$' || IsLetter(c))) continue;
        Scanner scanner(line, pos);
        const std::optional<RgbaColour> colour = Rounded(ColourAt(scanner));
        // A colour must end where its word does: "#12345" in "#123456z" or "red" in "red-team" is none.
        if (colour && !IsNameByte(scanner.Peek())) return colour;
        // Any other function (url(), var(), color-mix(), ...) is skipped whole: what it holds is no colour of
        // this value.
        Scanner name(line, pos);
        name.Name();
        if (IsLetter(c) && name.Take('(')) pos = EndOfFunction(line, name.Position()) - 1;
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
