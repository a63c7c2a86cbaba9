#pragma once
// The 148 named colours of CSS Color 4 ("rebeccapurple" and both spellings of "gray" among them).
#include <optional>
#include <string_view>

#include "color/Rgb.h"

namespace velmira {

// The colour a name stands for, in any case of its ASCII letters; nothing for any other text.
std::optional<Rgb> NamedColourOf(std::string_view name) noexcept;

}  // namespace velmira
