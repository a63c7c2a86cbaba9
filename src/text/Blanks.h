#pragma once
// The blanks that a settings value or a stored pair may carry around its text: spaces and tabs.
#include <string_view>

namespace velmira {

// The text without the spaces and tabs at either end.
constexpr std::string_view Trimmed(std::string_view text) noexcept {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace velmira
