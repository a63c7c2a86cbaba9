#include "palette/PaletteText.h"

#include <cstdio>

#include "color/ColorText.h"

namespace velmira {
namespace {

// The two bytes of `text` starting at `pos`, fewer or none near its end. Bytes, not characters: a piece that
// splits a double-byte character is not hexadecimal either way.
std::string_view Piece(std::string_view text, std::size_t pos) noexcept {
    return pos < text.size() ? text.substr(pos, 2) : std::string_view{};
}

std::string TwoDigits(std::uint32_t channel) {
    char buffer[3];
    std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned>(channel & 0xFF));
    return buffer;
}

}  // namespace

std::uint32_t PaletteColorOfChannels(std::string_view red, std::string_view green, std::string_view blue) noexcept {
    return PackColor(ChannelValue(red), ChannelValue(green), ChannelValue(blue));
}

std::uint32_t PaletteColorFromText(std::string_view text) noexcept {
    return PaletteColorOfChannels(Piece(text, 0), Piece(text, 2), Piece(text, 4));
}

std::string PaletteTextOfColor(std::uint32_t color) {
    const ChannelStrings channels = ChannelStringsOfColor(color);
    return channels.red + channels.green + channels.blue;
}

ChannelStrings ChannelStringsOfColor(std::uint32_t color) {
    return {TwoDigits(color), TwoDigits(color >> 8), TwoDigits(color >> 16)};
}

std::string PaletteSlotKey(int slot) {
    return "Palllet" + std::to_string(slot);
}

}  // namespace velmira
