#pragma once
// The open-file dialog's filter: the fixed picture types around one entry per plug-in.
#include <string>
#include <string_view>
#include <vector>

#include "color/Cp932.h"
#include "image/SpiPluginInfo.h"

namespace velmira {

// The filter as "description|pattern|description|pattern..." with no "|" after the last pattern:
// all pictures first, then JPEG, one entry per plug-in in list order, BMP and all files.
std::string BuildOpenFilter(const std::vector<ST_SpiInfo>& plugins);

// The same filter in the form the open-file dialog takes: every "|" that is a character of its own becomes
// a zero, and the whole ends in two zeros (both are part of the returned string). A "|" that is the trail
// byte of a double-byte character stays.
std::string FilterToDialogForm(std::string_view filter, LeadBytePredicate isLead = IsCp932LeadByte);

}  // namespace velmira
