#pragma once
// Whether the user has a high-contrast theme on: what the program draws itself then takes the system's colours
// (the colours being edited show as they are).
#include <windows.h>

namespace ui {

bool HighContrastOn() noexcept;

}  // namespace ui
