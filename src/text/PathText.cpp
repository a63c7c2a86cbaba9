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


std::string_view ExtensionOf(std::string_view path, LeadBytePredicate isLead) {
    std::size_t dot = std::string_view::npos;
    for (std::size_t pos = 0; pos < path.size(); pos = NextCharOffset(path, pos, isLead)) {
        const bool singleByte = NextCharOffset(path, pos, isLead) == pos + 1;
        if (!singleByte) continue;
        if (path[pos] == '\\' || path[pos] == ':')
            dot = std::string_view::npos;  // a dot in a folder or drive name is no extension
        else if (path[pos] == '.')
            dot = pos;
    }
    return dot == std::string_view::npos ? std::string_view() : path.substr(dot);
}

std::string LowerCaseSingleByteLetters(std::string_view text, LeadBytePredicate isLead) {
    std::string lower(text);
    for (std::size_t pos = 0; pos < lower.size(); pos = NextCharOffset(lower, pos, isLead)) {
        if (NextCharOffset(lower, pos, isLead) == pos + 1 && lower[pos] >= 'A' && lower[pos] <= 'Z')
            lower[pos] = static_cast<char>(lower[pos] - 'A' + 'a');
    }
    return lower;
}

}  // namespace velmira
