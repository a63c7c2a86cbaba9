#pragma once
// What a drag source raises: a control that starts a drag, or a container that is one itself.
#include <windows.h>

#include <functional>

namespace ui {

// Which control a drag started on, and the handlers it raises.
struct DragEvents {
    bool automatic = false;                                 // a left-button press starts a drag at once
    std::function<void()> onStartDrag;                      // raised when the drag starts
    std::function<void(POINT screenPos)> onEndDrag;         // raised however the drag ends; no control accepts drops
    // While the drag runs, keys and the wheel go to the drag before any window sees them: a key pressed (Esc
    // included, before it cancels) and the wheel's delta. True when the source took it; it then goes no further.
    std::function<bool(UINT virtualKey)> onDragKey;
    std::function<bool(int wheelDelta)> onDragWheel;
};

}  // namespace ui
