#pragma once
// Code page 932 (Shift-JIS) character boundaries for pure code that cannot ask the platform.
// Windows code uses IsDBCSLeadByte / CharNextA / CharPrevA instead.
#include <cstddef>
#include <string_view>

namespace velmira {

using LeadBytePredicate = bool (*)(unsigned char);

constexpr bool IsCp932LeadByte(unsigned char c) noexcept {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Byte offset of the character that starts after the one at `pos` (a lead byte and its trail count as one).
inline std::size_t NextCharOffset(std::string_view text, std::size_t pos,
                                  LeadBytePredicate isLead = IsCp932LeadByte) noexcept {
    if (pos >= text.size()) return text.size();
    if (isLead(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) return pos + 2;
    return pos + 1;
}

}  // namespace velmira
