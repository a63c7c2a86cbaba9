#pragma once
// Text forms of colours and channels.
//
// A colour's channel is held as a channel string, normally two upper-case hexadecimal digits but whatever its
// writer put there; its value is the string read as hexadecimal after "0x", 0 when unreadable, low 8 bits kept.
#include <cstdint>
#include <string>
#include <string_view>

#include "color/Cp932.h"
#include "color/Rgb.h"

namespace velmira {

std::int32_t ChannelValue(std::string_view channelString) noexcept;

// At least two upper-case hexadecimal digits: 0 -> "00", 255 -> "FF", 300 -> "12C", -1 -> "FFFFFFFF".
std::string HexAtLeastTwoDigits(std::uint32_t value);

// A channel edit's decimal text becomes the channel string of the number it reads as (0 when unreadable).
std::string ChannelStringFromDecimal(std::string_view editText);

std::string DecimalText(std::int32_t value);

// Upper-cases the ASCII letters of single-byte characters; double-byte characters pass untouched.
std::string UpperCaseText(std::string_view text, LeadBytePredicate isLead = IsCp932LeadByte);

// What the six-digit edit shows: the three channel strings joined, in upper case.
std::string HexStringOf(std::string_view red, std::string_view green, std::string_view blue,
                        LeadBytePredicate isLead = IsCp932LeadByte);

// The pair as CSS declarations: "color: #RRGGBB; background-color: #RRGGBB;".
std::string CssText(Rgb text, Rgb background);

// The platform's packed colour order: red in bits 0-7, green 8-15, blue 16-23.
constexpr std::uint32_t PackColor(std::int32_t red, std::int32_t green, std::int32_t blue) noexcept {
    return (static_cast<std::uint32_t>(red) & 0xFF) | ((static_cast<std::uint32_t>(green) & 0xFF) << 8) |
           ((static_cast<std::uint32_t>(blue) & 0xFF) << 16);
}

}  // namespace velmira
