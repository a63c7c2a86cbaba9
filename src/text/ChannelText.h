#pragma once
// The text form of a colour channel, shared by everything that writes a colour: a channel string is normally two
// upper-case hexadecimal digits but holds whatever its writer put there; its value is the string read as
// hexadecimal after "0x" by the integer reading rule, 0 when unreadable, low 8 bits kept.
#include <cstdint>
#include <string>
#include <string_view>

namespace velmira {

std::int32_t ChannelValue(std::string_view channelString) noexcept;

// At least two upper-case hexadecimal digits: 0 -> "00", 255 -> "FF", 300 -> "12C", -1 -> "FFFFFFFF".
std::string HexAtLeastTwoDigits(std::uint32_t value);

// The platform's packed colour order: red in bits 0-7, green 8-15, blue 16-23.
constexpr std::uint32_t PackColor(std::int32_t red, std::int32_t green, std::int32_t blue) noexcept {
    return (static_cast<std::uint32_t>(red) & 0xFF) | ((static_cast<std::uint32_t>(green) & 0xFF) << 8) |
           ((static_cast<std::uint32_t>(blue) & 0xFF) << 16);
}

}  // namespace velmira
