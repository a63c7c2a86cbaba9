#include "ui/Container.h"

#include <algorithm>

#include "ui/BufferedPaint.h"
#include "ui/DragController.h"

namespace ui {

Container::~Container() {
    for (GraphicControl* control : graphics_) control->parent_ = nullptr;
}

void Container::SetColor(COLORREF color) {
    systemFaceColor_ = false;
    if (color == color_ && brush_) return;
    color_ = color;
    brush_.reset();
    if (Handle()) ::InvalidateRect(Handle(), nullptr, TRUE);
}

HBRUSH Container::BackgroundBrush() {
    if (!brush_) brush_.reset(::CreateSolidBrush(color_));
    return brush_.get();
}

void Container::AddGraphic(GraphicControl* control) {
    graphics_.push_back(control);
}

void Container::RemoveGraphic(GraphicControl* control) {
    graphics_.erase(std::remove(graphics_.begin(), graphics_.end(), control), graphics_.end());
}

void Container::ApplyDpi(UINT dpi) {
    Window::ApplyDpi(dpi);
    for (HWND child = ::GetWindow(Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (Window* control = FromHandle(child)) control->ApplyDpi(dpi);
    for (GraphicControl* control : graphics_) control->ApplyDpi(dpi);
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void Container::PaintBackground(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, BackgroundBrush());
}

void Container::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    PaintBackground(dc, client);
    for (GraphicControl* control : graphics_) control->Paint(dc);
    PaintForeground(dc, client);
}


GraphicControl* Container::GraphicAt(POINT clientPoint) const {
    for (auto it = graphics_.rbegin(); it != graphics_.rend(); ++it) {
        const RECT bounds = (*it)->Bounds();
        if (::PtInRect(&bounds, clientPoint)) return *it;
    }
    return nullptr;
}

bool Container::ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    Window* child = FromHandle(reinterpret_cast<HWND>(lParam));
    if (!child || child == this) return false;
    switch (msg) {
    case WM_COMMAND:
        child->OnCommand(HIWORD(wParam));
        result = 0;
        return true;
    case WM_HSCROLL:
        child->OnHScroll(LOWORD(wParam));
        result = 0;
        return true;
    default: {
        HBRUSH brush = child->OnControlColor(reinterpret_cast<HDC>(wParam));
        if (!brush) return false;
        result = reinterpret_cast<LRESULT>(brush);
        return true;
    }
    }
}

void Container::OnLeftButtonDown(POINT clientPoint) {
    GraphicControl* graphic = GraphicAt(clientPoint);
    DragEvents* events = graphic ? &graphic->Drag : &Drag;
    if (events->automatic) DragController::Get().Begin(Handle(), *events);
}

LRESULT Container::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; DragController::Get().HandleMouse(Handle(), msg, wParam, lParam, result)) return result;
    switch (msg) {
    case WM_PAINT:
        // Buffered, so that the preview's picture and the text over it never flicker.
        PaintBuffered(Handle(), [this](HDC dc) { Paint(dc); });
        return 0;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel
    case WM_SYSCOLORCHANGE:
        if (systemFaceColor_) {
            color_ = ::GetSysColor(COLOR_BTNFACE);
            brush_.reset();
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnLeftButtonDown(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
        if (lParam) {
            LRESULT result = 0;
            if (ReflectToChild(msg, wParam, lParam, result)) return result;
        }
        if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) {
            // Check boxes and radio buttons sit on our background, whatever colour it has.
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetBkColor(dc, color_);
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(BackgroundBrush());
        }
        break;
    default:
        break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace ui
