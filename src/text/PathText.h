#pragma once
// Path text in code page 932, cut at separators by characters, never by bytes: the trail byte of a
// double-byte character may be 0x5C, the byte of "\".
#include <string>
#include <string_view>

#include "text/Cp932.h"

namespace velmira {

// Byte offset of the last "\" (or ":" too when `orColon`) that is a character of its own; npos if none.
std::size_t LastSeparator(std::string_view path, bool orColon, LeadBytePredicate isLead = IsCp932LeadByte);

// The directory part of a path, up to and including its last backslash; empty when it has none.
std::string DirectoryWithBackslash(std::string_view path, LeadBytePredicate isLead = IsCp932LeadByte);

// The text from the last "." after the last "\" or ":" to the end, dot included; empty when there is
// no such dot. Double-byte characters are stepped over whole, so a trail byte 0x5C is no separator.
std::string_view ExtensionOf(std::string_view path, LeadBytePredicate isLead = IsCp932LeadByte);

// Lower-cases the ASCII letters among the single-byte characters; double-byte characters stay as they are.
std::string LowerCaseSingleByteLetters(std::string_view text, LeadBytePredicate isLead = IsCp932LeadByte);

}  // namespace velmira
