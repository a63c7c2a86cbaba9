#include "settings/SettingsText.h"

namespace velmira {

std::string StartingFolder(std::string_view folder, LeadBytePredicate isLead) {
    // Walk by characters to find where the last one and the one before it start.
    std::size_t last = std::string_view::npos;
    std::size_t previous = std::string_view::npos;
    for (std::size_t pos = 0; pos < folder.size(); pos = NextCharOffset(folder, pos, isLead)) {
        previous = last;
        last = pos;
    }
    const bool endsInBackslash = last != std::string_view::npos && folder.size() - last == 1 && folder[last] == '\\';
    if (!endsInBackslash) return std::string(folder);
    const bool afterDriveColon =
        previous != std::string_view::npos && last - previous == 1 && folder[previous] == ':';
    if (afterDriveColon) return std::string(folder);
    return std::string(folder.substr(0, last));
}

}  // namespace velmira
