#pragma once
// How settings keys are read from their text (ReadBooleanText comes with the integer reading rule), and the
// open-file dialog's starting folder.
#include <cstdint>
#include <string>
#include <string_view>

#include "text/Cp932.h"
#include "text/IntegerReading.h"

namespace velmira {

// A folder as the open-file dialog starts in it: one trailing backslash is removed unless it follows a drive
// colon ("C:\foo\" gives "C:\foo", "C:\" stays). The last byte of a double-byte character is never taken for
// a backslash.
std::string StartingFolder(std::string_view folder, LeadBytePredicate isLead = IsCp932LeadByte);

}  // namespace velmira
