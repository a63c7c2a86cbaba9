#include "text/PathText.h"

namespace velmira {

std::size_t LastSeparator(std::string_view path, bool orColon, LeadBytePredicate isLead) {
    std::size_t last = std::string_view::npos;
    for (std::size_t pos = 0; pos < path.size(); pos = NextCharOffset(path, pos, isLead)) {
        const char c = path[pos];
        if (isLead(static_cast<unsigned char>(c))) continue;
        if (c == '\\' || (orColon && c == ':')) last = pos;
    }
    return last;
}

std::string DirectoryWithBackslash(std::string_view path, LeadBytePredicate isLead) {
    const std::size_t last = LastSeparator(path, false, isLead);
    if (last == std::string_view::npos) return {};
    return std::string(path.substr(0, last + 1));
}

}  // namespace velmira
