#pragma once
// Automatic dragging of controls: a left-button press on a control in automatic drag mode starts the drag at
// once (no movement threshold), the mouse is captured for its length and the "no drop" cursor shows, since
// nothing in the program accepts a drop. However the drag ends (released anywhere, Esc, a right click, the
// capture taken away) the end-drag event is raised on the control where it began, exactly once. A drag whose
// capturing window is destroyed is given up silently, since the control it would report to is going away.
// While a drag runs, the keys and the wheel are offered to the source's hooks first, whichever window has the
// focus; a source that takes Esc decides itself how the drag ends.
#include <windows.h>

#include "ui/DragEvents.h"

namespace ui {

class DragController {
public:
    static DragController& Get();

    // Starts a drag at once. If the start-drag handler throws, the drag is given up and the error passes on.
    void Begin(HWND captureWindow, const DragEvents& events);
    bool Active() const noexcept { return active_; }
    // Ends the drag as Esc does: the end-drag event is raised.
    void Cancel();
    // Gives the drag up without raising the end-drag event: its source is being destroyed.
    void Abandon() noexcept;

    // Mouse messages of the capturing window while a drag runs; true when the message was the drag's.
    bool HandleMouse(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A queued message before it is dispatched, whichever window it is for: while a drag runs, a key goes to the
    // source's key hook and then Esc cancels the drag; the wheel goes to its wheel hook. True when it was taken.
    bool HandleQueued(const MSG& msg);

private:
    void End();
    void Reset() noexcept;

    bool active_ = false;
    HWND capture_ = nullptr;
    DragEvents events_;
};

}  // namespace ui
