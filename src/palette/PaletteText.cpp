#include "palette/PaletteText.h"

#include "text/ChannelText.h"

namespace velmira {
namespace {

// The two bytes of `text` starting at `pos`, fewer or none near its end. Bytes, not characters: a piece that
// splits a double-byte character is not hexadecimal either way.
std::string_view Piece(std::string_view text, std::size_t pos) noexcept {
    return pos < text.size() ? text.substr(pos, 2) : std::string_view{};
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
    return {HexAtLeastTwoDigits(color & 0xFF), HexAtLeastTwoDigits((color >> 8) & 0xFF), HexAtLeastTwoDigits((color >> 16) & 0xFF)};
}

std::string PaletteSlotKey(int slot) {
    return "Palllet" + std::to_string(slot);
}

}  // namespace velmira
