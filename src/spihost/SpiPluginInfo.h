#pragma once
// The texts a plug-in tells about itself, its file pattern and format description, as 8-bit texts.
#include <cstddef>
#include <string>

#include "text/Cp932.h"

namespace velmira {

// The text a plug-in left in its information buffer: up to the first zero, or the whole buffer when the
// plug-in wrote no zero. A lead byte left without its trail byte at the end is dropped, so that a broken
// character cannot swallow the "|" that the filter puts after the text.
std::string PluginInfoText(const char* buffer, std::size_t size, LeadBytePredicate isLead = IsCp932LeadByte);

}  // namespace velmira
