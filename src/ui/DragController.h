#pragma once
// Automatic dragging of controls: a left-button press on a control in automatic drag mode starts the drag at
// once (no movement threshold), the mouse is captured for its length and the "no drop" cursor shows, since
// nothing in the program accepts a drop. However the drag ends (released anywhere, Esc, a right click, the
// capture taken away) the end-drag event is raised on the control where it began, exactly once.
#include <windows.h>

#include "ui/Window.h"

namespace ui {

class DragController {
public:
    static DragController& Get();

    void Begin(HWND captureWindow, const DragEvents& events);
    bool Active() const noexcept { return active_; }
    void Cancel();

    // Mouse messages of the capturing window while a drag runs; true when the message was the drag's.
    bool HandleMouse(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void End();

    bool active_ = false;
    HWND capture_ = nullptr;
    DragEvents events_;
};

}  // namespace ui
