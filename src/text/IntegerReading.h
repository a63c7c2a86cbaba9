#pragma once
// The one rule by which the program reads a number typed by the user or stored in the settings file.
//
// Leading blanks (code 32 only) are skipped. "$", "x", "X", "0x" or "0X" introduce one or more hexadecimal
// digits up to the end, read as an unsigned 32-bit pattern (so eight F digits give -1; a ninth significant
// digit fails). Otherwise an optional sign and one or more decimal digits up to the end, within the signed
// 32-bit range. Everything else fails: empty text, blanks only, a sign alone, any other character, blanks
// after the number, a sign before a hexadecimal prefix.
#include <cstdint>
#include <optional>
#include <string_view>

namespace velmira {

std::optional<std::int32_t> ReadInteger(std::string_view text) noexcept;
std::int32_t ReadIntegerOr(std::string_view text, std::int32_t fallback) noexcept;

// The value of one hexadecimal digit in either case, -1 for any other character.
int HexDigitValue(char c) noexcept;

// A boolean is an integer by the same rule; anything but 0 is true, unreadable text the default.
bool ReadBooleanText(std::string_view text, bool fallback) noexcept;

}  // namespace velmira
