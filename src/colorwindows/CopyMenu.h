#pragma once
// The copy buttons' menu: one colour in each copy format, each item the exact text that it copies.
#include <windows.h>

#include <optional>
#include <string>

#include "color/Rgb.h"

namespace velmira {

// Shows the formats of `colour` at a screen point for the window `owner`, with the access keys 1 to 6; the text
// of the item chosen, or nothing when the menu was left.
std::optional<std::string> ChooseCopyText(HWND owner, POINT screenPos, Rgb colour);

}  // namespace velmira
