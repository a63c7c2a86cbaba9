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
    if (events_.onStartDrag) events_.onStartDrag();
}

void DragController::Cancel() {
    End();
}

void DragController::End() {
    if (!active_) return;
    active_ = false;
    // Releasing the capture sends WM_CAPTURECHANGED, which finds the drag already over.
    if (::GetCapture() == capture_) ::ReleaseCapture();
    capture_ = nullptr;
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    POINT pos{};
    ::GetCursorPos(&pos);
    DragEvents events = std::move(events_);
    events_ = DragEvents{};
    if (events.onEndDrag) events.onEndDrag(pos);
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
    default:
        return false;
    }
    result = 0;
    return true;
}

}  // namespace ui
