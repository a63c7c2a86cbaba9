#pragma once
// The syntax of colour text as CSS writes it, below the colours: the bytes of names, numbers with their units
// and percentages, and the arguments of a function in the comma and the space syntax.
#include <cstddef>
#include <string_view>
#include <vector>

namespace velmira::css {

inline bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}
inline bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}
inline bool IsLetter(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
// A byte of a CSS name: ASCII letters, digits, "-" and "_", and any byte of a non-ASCII character.
inline bool IsNameByte(char c) noexcept {
    return IsLetter(c) || IsDigit(c) || c == '-' || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
inline bool SameName(std::string_view text, std::string_view lowerName) noexcept {
    if (text.size() != lowerName.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != lowerName[i]) return false;
    }
    return true;
}

// One value of a colour function: a number, a percentage, an angle (in degrees) or the keyword none. The value
// is as written, however large: a hue is reduced modulo 360 before anything else, other values are bounded where
// they are used.
struct Component {
    enum Kind { Number, Percentage, Angle, None } kind = Number;
    double value = 0;
};

struct Arguments {
    std::vector<Component> values;
    bool commas = false;
    bool hasAlpha = false;  // after "/" in the space syntax, or a fourth value in the comma syntax
    Component alpha;
};

// Reads colour text from a position on, which it leaves after what it took.
class Scanner {
public:
    Scanner(std::string_view text, std::size_t pos) noexcept : text_(text), pos_(pos) {}

    std::size_t Position() const noexcept { return pos_; }
    bool AtEnd() const noexcept { return pos_ >= text_.size(); }
    char Peek() const noexcept { return AtEnd() ? '\0' : text_[pos_]; }
    bool Take(char c) noexcept {
        if (Peek() != c || AtEnd()) return false;
        ++pos_;
        return true;
    }
    // Blanks and comments, which CSS drops between tokens; a comment left open runs to the end of the text.
    void SkipBlanks() noexcept;
    // A run of name bytes (possibly empty).
    std::string_view Name() noexcept {
        const std::size_t start = pos_;
        while (!AtEnd() && IsNameByte(text_[pos_])) ++pos_;
        return text_.substr(start, pos_ - start);
    }

    // A CSS number, its unit or "%" after it, or the keyword none.
    bool ReadComponent(Component& out) noexcept;

    // The values between the parentheses of a function, and the closing parenthesis; the end of the text closes
    // a function left open, as it closes every open block in CSS.
    bool ReadArguments(Arguments& out);

private:
    // [+-] (digits [. digits] | . digits) [(e|E) [+-] digits], read without regard to the locale: the digits
    // as a whole number and a power of ten, which is within a unit or two in the last place of the exact value,
    // far finer than any colour. A decimal with up to fifteen digits is their whole number divided by its power
    // of ten, a single division, which the copy formats rely on to know the exact colour of their texts.
    bool ReadNumber(double& value) noexcept;

    std::string_view text_;
    std::size_t pos_;
};

}  // namespace velmira::css
