#include "picker/PointerNudge.h"

namespace velmira {

bool NudgePointer(int dx, int dy) noexcept {
    POINT pointer{};
    if (!::GetCursorPos(&pointer)) return false;  // another desktop is active
    return ::SetCursorPos(pointer.x + dx, pointer.y + dy) != FALSE;
}

bool NudgePointerForKey(UINT virtualKey, bool shift) noexcept {
    const int step = shift ? 10 : 1;
    switch (virtualKey) {
    case VK_LEFT:
        return NudgePointer(-step, 0);
    case VK_RIGHT:
        return NudgePointer(step, 0);
    case VK_UP:
        return NudgePointer(0, -step);
    case VK_DOWN:
        return NudgePointer(0, step);
    default:
        return false;
    }
}

}  // namespace velmira
