#pragma once
// Text rules of the standard error display, kept free of the platform so they can be tested natively.
#include <string>
#include <string_view>

#include "text/Cp932.h"

namespace ui {

// The display appends "." when the message's last character (a double-byte character counting as one)
// sorts after "." in byte order: so text ending in a letter, digit or Japanese character gets a full stop,
// and text already ending in "." (or in a space or "!") is left alone.
std::string WithFullStop(std::string_view message, velmira::LeadBytePredicate isLead = velmira::IsCp932LeadByte);

}  // namespace ui
