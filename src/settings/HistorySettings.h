#pragma once
// The history of colour pairs in "velmira.ini": section "History", keys "Pair1" to "Pair20", newest first. The
// values are kept as text; what a pair's text is belongs to the colours.
#include <string>
#include <vector>

#include "ui/IniFile.h"

namespace velmira {

// The values of the keys there are, in order, up to the first missing one.
std::vector<std::string> ReadHistorySection(const ui::IniFile& file);
// Writes the values to "Pair1" on and removes the keys after them, so that a shorter history leaves no stale
// pair behind. The first write the platform refuses throws.
void WriteHistorySection(const ui::IniFile& file, const std::vector<std::string>& values);

}  // namespace velmira
