#pragma once
// Text forms of the palette: a slot's stored text, the current colour's channel strings, the slot keys.
//
// Colours are packed with red in the low byte (red + 256 * green + 65536 * blue). A piece of text is read
// as a channel string is: "0x" in front, the integer reading rule, 0 when unreadable, low 8 bits kept.
#include <cstdint>
#include <string>
#include <string_view>

namespace velmira {

// The packed colour of three channel texts, each read whole whatever its length.
std::uint32_t PaletteColorOfChannels(std::string_view red, std::string_view green, std::string_view blue) noexcept;

// A slot's stored text, RRGGBB: bytes 1-2 red, 3-4 green, 5-6 blue. A piece beyond the end of a shorter text
// is empty (so 0), bytes after the sixth are ignored.
std::uint32_t PaletteColorFromText(std::string_view text) noexcept;

// Six upper-case hexadecimal digits RRGGBB.
std::string PaletteTextOfColor(std::uint32_t color);

struct ChannelStrings {
    std::string red, green, blue;
};
// Two upper-case digits per channel.
ChannelStrings ChannelStringsOfColor(std::uint32_t color);

// The settings key of slot n (1 to 20). The key is spelt with three l's while its section "Pallet" has two:
// the files that users already have hold these names.
std::string PaletteSlotKey(int slot);

}  // namespace velmira
