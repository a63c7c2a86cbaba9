#include "color/CssSyntax.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace velmira::css {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Far beyond any colour, yet small enough that a hue in turns stays finite in degrees.
constexpr double kLargestNumber = 1e300;

}  // namespace

void Scanner::SkipBlanks() noexcept {
    for (;;) {
        while (!AtEnd() && IsBlank(text_[pos_])) ++pos_;
        if (text_.substr(pos_, 2) != "/*") return;
        const std::size_t end = text_.find("*/", pos_ + 2);
        pos_ = end == std::string_view::npos ? text_.size() : end + 2;
    }
}

bool Scanner::ReadComponent(Component& out) noexcept {
    if (IsLetter(Peek())) {
        if (!SameName(Name(), "none")) return false;
        out = Component{Component::None, 0};
        return true;
    }
    double value = 0;
    if (!ReadNumber(value)) return false;
    if (Take('%')) {
        out = Component{Component::Percentage, value};
        return true;
    }
    if (!IsNameByte(Peek())) {
        out = Component{Component::Number, value};
        return true;
    }
    const std::string_view unit = Name();
    double degrees;
    if (SameName(unit, "deg"))
        degrees = value;
    else if (SameName(unit, "grad"))
        degrees = value * 0.9;
    else if (SameName(unit, "rad"))
        degrees = value * 180 / kPi;
    else if (SameName(unit, "turn"))
        degrees = value * 360;
    else
        return false;
    out = Component{Component::Angle, degrees};
    return true;
}

bool Scanner::ReadArguments(Arguments& out) {
    enum class Syntax { Unknown, Commas, Spaces } syntax = Syntax::Unknown;
    SkipBlanks();
    Component value;
    if (!ReadComponent(value)) return false;
    out.values.push_back(value);
    for (;;) {
        SkipBlanks();
        if (Take(')') || AtEnd()) break;
        if (Take(',')) {
            if (syntax == Syntax::Spaces) return false;
            syntax = Syntax::Commas;
            SkipBlanks();
        } else if (Take('/')) {
            if (syntax == Syntax::Commas || out.values.size() != 3) return false;
            SkipBlanks();
            if (!ReadComponent(out.alpha)) return false;
            out.hasAlpha = true;
            SkipBlanks();
            if (!Take(')') && !AtEnd()) return false;
            break;
        } else {
            if (syntax == Syntax::Commas) return false;
            syntax = Syntax::Spaces;
        }
        if (out.values.size() == 4 || !ReadComponent(value)) return false;
        out.values.push_back(value);
    }
    out.commas = syntax == Syntax::Commas;
    if (out.commas && out.values.size() == 4) {
        out.alpha = out.values.back();
        out.values.pop_back();
        out.hasAlpha = true;
    }
    return out.values.size() == 3;
}

bool Scanner::ReadNumber(double& value) noexcept {
    const std::size_t start = pos_;
    bool negative = false;
    if (Peek() == '+' || Peek() == '-') negative = text_[pos_++] == '-';
    std::uint64_t mantissa = 0;
    int scale = 0;  // the number is mantissa * 10^scale
    bool anyDigit = false;
    auto takeDigits = [&](bool fraction) {
        while (IsDigit(Peek())) {
            anyDigit = true;
            const int digit = text_[pos_++] - '0';
            if (mantissa < 100000000000000000u) {  // seventeen digits are as many as a double holds
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(digit);
                if (fraction) --scale;
            } else if (!fraction) {
                ++scale;
            }
        }
    };
    takeDigits(false);
    if (Peek() == '.' && pos_ + 1 < text_.size() && IsDigit(text_[pos_ + 1])) {
        ++pos_;
        takeDigits(true);
    } else if (!anyDigit) {
        pos_ = start;
        return false;
    }
    if ((Peek() == 'e' || Peek() == 'E') && pos_ + 1 < text_.size()) {
        std::size_t at = pos_ + 1;
        const bool negativeExponent = text_[at] == '-';
        if ((text_[at] == '+' || negativeExponent) && at + 1 < text_.size()) ++at;
        if (IsDigit(text_[at])) {
            int exponent = 0;
            for (pos_ = at; IsDigit(Peek()); ++pos_) exponent = std::min(exponent * 10 + (text_[pos_] - '0'), 100000);
            scale += negativeExponent ? -exponent : exponent;
        }
    }
    double magnitude = static_cast<double>(mantissa);
    if (mantissa != 0 && scale > 0) magnitude *= std::pow(10.0, std::min(scale, 400));
    if (mantissa != 0 && scale < 0) magnitude /= std::pow(10.0, std::min(-scale, 400));
    value = std::min(magnitude, kLargestNumber) * (negative ? -1 : 1);
    return true;
}

}  // namespace velmira::css
