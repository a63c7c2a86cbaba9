#pragma once
// Text forms of colours and channels as the colour editors show and read them.
#include <cstdint>
#include <string>
#include <string_view>

#include "color/Rgb.h"
#include "text/Cp932.h"

namespace velmira {

// A channel edit's decimal text becomes the channel string of the number it reads as (0 when unreadable).
std::string ChannelStringFromDecimal(std::string_view editText);

std::string DecimalText(std::int32_t value);

// Upper-cases the ASCII letters of single-byte characters; double-byte characters pass untouched.
std::string UpperCaseText(std::string_view text, LeadBytePredicate isLead = IsCp932LeadByte);

// What the six-digit edit shows: the three channel strings joined, in upper case.
std::string HexStringOf(std::string_view red, std::string_view green, std::string_view blue,
                        LeadBytePredicate isLead = IsCp932LeadByte);

// The colour as six upper-case hexadecimal digits, "RRGGBB": what the copy buttons copy, whatever the edits show.
std::string HexText(Rgb colour);
// "#RRGGBB", upper case.
std::string HexColourText(Rgb colour);

// The pair as CSS declarations: "color: #RRGGBB; background-color: #RRGGBB;".
std::string CssText(Rgb text, Rgb background);

}  // namespace velmira
