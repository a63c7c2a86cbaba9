#include "ui/Panel.h"

#include <utility>

namespace ui {
namespace {

bool IsMoveKey(WPARAM key) noexcept {
    return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN || key == VK_HOME || key == VK_END;
}

}  // namespace

void Panel::Create(const Place& place) {
    CreateOwn(WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, place.parent.Handle(), "", place.left,
              place.top, place.width, place.height, NextControlId());
}

void Panel::PaintBackground(HDC dc, const RECT& client) {
    Container::PaintBackground(dc, client);
    // As thick as the layout's one pixel at this DPI, so that a picture inside it meets the bevel with no gap.
    RECT bevel = client;
    for (int ring = Scale(1); ring > 0; --ring) {
        ::DrawEdge(dc, &bevel, BDR_SUNKENOUTER, BF_RECT);
        ::InflateRect(&bevel, -1, -1);
    }
}

void Panel::MakeFocusable(bool clickFocuses) {
    focusable_ = true;
    clickFocuses_ = clickFocuses;
    // The dialog manager looks into a control parent for its tab stops instead of stopping at it.
    ::SetWindowLongA(Handle(), GWL_EXSTYLE, ::GetWindowLongA(Handle(), GWL_EXSTYLE) & ~WS_EX_CONTROLPARENT);
    ::SetWindowLongA(Handle(), GWL_STYLE, ::GetWindowLongA(Handle(), GWL_STYLE) | WS_TABSTOP);
}

void Panel::PaintForeground(HDC dc, const RECT& client) {
    if (!focusable_ || ::GetFocus() != Handle()) return;
    if (::SendMessageA(Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) return;
    RECT focus = client;
    ::InflateRect(&focus, -Scale(3), -Scale(3));
    ::DrawFocusRect(dc, &focus);
}

void Panel::PopupFromKeyboard() {
    if (!OnContextPopup) return;
    POINT at{Scale(2), Scale(2)};  // just inside the bevel
    ::ClientToScreen(Handle(), &at);
    OnContextPopup(at);
}

// The menu key and Shift+F10 are taken on their way down; both halves stay away from the default handling,
// which would raise the context menu a second time, or open the window menu on F10's release.
bool Panel::OnKey(UINT msg, WPARAM key, LPARAM flags) {
    const bool repeat = (flags & (1L << 30)) != 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    switch (msg) {
    case WM_KEYDOWN:
        if ((key == VK_RETURN || key == VK_SPACE) && OnKeyClick) {
            if (!repeat) OnKeyClick();
            return true;
        }
        if (key == VK_APPS) {
            if (!repeat) PopupFromKeyboard();
            return true;
        }
        return IsMoveKey(key) && OnMoveKey && OnMoveKey(static_cast<UINT>(key));
    case WM_KEYUP:
        return key == VK_APPS;
    case WM_SYSKEYDOWN:
        if (key != VK_F10 || !shift) return false;
        menuKeyTaken_ = true;
        if (!repeat) PopupFromKeyboard();
        return true;
    case WM_SYSKEYUP:
        return key == VK_F10 && std::exchange(menuKeyTaken_, false);
    default:
        return false;
    }
}

LRESULT Panel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        if (focusable_ && OnKey(msg, wParam, lParam)) return 0;
        break;
    case WM_GETDLGCODE: {
        // Enter is the panel's while it has the focus, not the dialog manager's default button.
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        if (focusable_ && OnKeyClick && message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN)
            return DLGC_WANTMESSAGE;
        if (focusable_ && OnMoveKey) return DLGC_WANTARROWS;
        break;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ::InvalidateRect(Handle(), nullptr, FALSE);
        break;
    case WM_UPDATEUISTATE: {
        const LRESULT result = DefaultHandling(msg, wParam, lParam);
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return result;
    }
    case WM_LBUTTONDOWN:
        pressed_ = true;
        if (clickFocuses_) ::SetFocus(Handle());
        break;
    case WM_LBUTTONUP: {
        const bool wasPressed = std::exchange(pressed_, false);
        RECT client{};
        ::GetClientRect(Handle(), &client);
        const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (wasPressed && ::PtInRect(&client, point) && OnClick) OnClick(*this);
        break;
    }
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != Handle() || !OnContextPopup) break;
        if (lParam == -1) {  // from the keyboard
            PopupFromKeyboard();
            return 0;
        }
        OnContextPopup(ContextMenuPoint(Handle(), lParam, false));
        return 0;
    default:
        break;
    }
    return Container::HandleMessage(msg, wParam, lParam);
}

}  // namespace ui
