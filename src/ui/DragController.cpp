#include "ui/DragController.h"

namespace ui {
namespace {

void ShowNoDropCursor() {
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_NO)));
}

}  // namespace

DragController& DragController::Get() {
    static DragController controller;
    return controller;
}

void DragController::Begin(HWND captureWindow, const DragEvents& events) {
    if (active_) return;
    active_ = true;
    capture_ = captureWindow;
    events_ = events;
    ::SetCapture(captureWindow);
    ShowNoDropCursor();
    if (!events_.onStartDrag) return;
    try {
        events_.onStartDrag();
    } catch (...) {
        Abandon();  // a drag that could not start has nothing to end
        throw;
    }
}

void DragController::Cancel() {
    End();
}

void DragController::Abandon() noexcept {
    Reset();
}

// Leaves the drag state; releasing the capture sends WM_CAPTURECHANGED, which finds the drag already over.
void DragController::Reset() noexcept {
    if (!active_) return;
    active_ = false;
    if (::GetCapture() == capture_) ::ReleaseCapture();
    capture_ = nullptr;
    events_ = DragEvents{};
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

void DragController::End() {
    if (!active_) return;
    DragEvents events = std::move(events_);
    Reset();
    POINT pos{};
    ::GetCursorPos(&pos);
    if (events.onEndDrag) events.onEndDrag(pos);
}

// The hooks are copied before they run: a hook may end the drag, which drops the source's events.
bool DragController::HandleQueued(const MSG& msg) {
    if (!active_) return false;
    if (msg.message == WM_KEYDOWN) {
        const auto onKey = events_.onDragKey;
        if (onKey && onKey(static_cast<UINT>(msg.wParam))) return true;
        if (msg.wParam != VK_ESCAPE || !active_) return false;
        Cancel();
        return true;
    }
    if (msg.message == WM_MOUSEWHEEL) {
        const auto onWheel = events_.onDragWheel;
        return onWheel && onWheel(GET_WHEEL_DELTA_WPARAM(msg.wParam));
    }
    return false;
}

bool DragController::HandleMouse(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (!active_ || hwnd != capture_) return false;
    switch (msg) {
    case WM_MOUSEMOVE:
        ShowNoDropCursor();
        break;
    case WM_SETCURSOR:
        ShowNoDropCursor();
        result = TRUE;
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_CAPTURECHANGED:
        End();
        break;
    case WM_DESTROY:
        Abandon();
        return false;  // the window's own handling goes on
    default:
        return false;
    }
    result = 0;
    return true;
}

}  // namespace ui
