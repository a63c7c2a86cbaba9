#pragma once
// Moving the pointer from the keyboard while a colour is picked, so that the last pixel can be hit exactly.
#include <windows.h>

namespace velmira {

// Moves the pointer by (dx, dy) physical screen pixels; false when the pointer could not be read or moved.
bool NudgePointer(int dx, int dy) noexcept;

// An arrow key moves the pointer one pixel that way, ten with Shift. True when the key was an arrow key and the
// pointer moved; for any other key nothing moves and the answer is false.
bool NudgePointerForKey(UINT virtualKey, bool shift) noexcept;

}  // namespace velmira
