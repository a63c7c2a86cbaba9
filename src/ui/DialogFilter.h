#pragma once
// The open-file dialog's filter text, kept free of the platform so that it can be tested natively.
#include <string>
#include <string_view>

#include "text/Cp932.h"

namespace ui {

// A filter written "description|pattern|description|pattern..." in the form the open-file dialog takes: every
// "|" that is a character of its own becomes a zero, and the whole ends in two zeros (both are part of the
// returned string). A "|" that is the trail byte of a double-byte character stays.
std::string FilterToDialogForm(std::string_view filter, velmira::LeadBytePredicate isLead = velmira::IsCp932LeadByte);

}  // namespace ui
