#include "ui/Edit.h"

namespace ui {

void Edit::Create(const Place& place, const FontSpec& font) {
    CreateStandard("EDIT", WS_EX_CLIENTEDGE, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                   place.parent.Handle(), "", place.left, place.top, place.width, place.height, NextControlId());
    SetFont(font);
}

void Edit::CreateReadOnlyText(Container& parent, const FontSpec& font) {
    CreateStandard("EDIT", WS_EX_CLIENTEDGE,
                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                   parent.Handle(), "", 0, 0, 0, 0, NextControlId());
    PlacedByParent();
    SetFont(font);
}

void Edit::SetMaxLength(int length) {
    ::SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(length), 0);
}

void Edit::SetTextIfChanged(std::string_view text) {
    if (Text() == text) return;
    SetText(text);
}

void Edit::SetSystemColor(int index) {
    SetColor(::GetSysColor(index));
    systemColor_ = index;
}

void Edit::SetColor(COLORREF color) {
    systemColor_ = -1;
    if (color == color_) return;
    color_ = color;
    brush_.reset(::CreateSolidBrush(color));
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

HBRUSH Edit::OnControlColor(HDC dc) {
    if (color_ == CLR_INVALID) return nullptr;
    ::SetBkColor(dc, color_);
    return brush_.get();
}

LRESULT Edit::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SYSCOLORCHANGE:
        if (systemColor_ >= 0) SetSystemColor(systemColor_);
        break;
    case WM_KEYUP: {
        const LRESULT result = DefaultHandling(msg, wParam, lParam);
        if (OnKeyUp) {
            UINT shift = 0;
            if (::GetKeyState(VK_SHIFT) < 0) shift |= MK_SHIFT;
            if (::GetKeyState(VK_CONTROL) < 0) shift |= MK_CONTROL;
            OnKeyUp(static_cast<WORD>(wParam), shift);
        }
        return result;
    }
    case WM_PASTE:
        if (OnPaste && OnPaste()) return 0;
        break;
    case WM_KEYDOWN:
        // Shift+Insert pastes without a WM_PASTE on some systems: it is made one, so that every way in meets
        // OnPaste.
        if (OnPaste && wParam == VK_INSERT && ::GetKeyState(VK_SHIFT) < 0 && ::GetKeyState(VK_CONTROL) >= 0) {
            ::SendMessageA(Handle(), WM_PASTE, 0, 0);
            return 0;
        }
        break;
    case WM_CHAR:
        if (OnPaste && wParam == 0x16) {  // Ctrl+V
            ::SendMessageA(Handle(), WM_PASTE, 0, 0);
            return 0;
        }
        if (OnKeyPress) {
            char key = static_cast<char>(wParam);
            OnKeyPress(key);
            if (key == 0) return 0;
            wParam = static_cast<unsigned char>(key);
        }
        break;
    case WM_GETDLGCODE: {
        // An edit that handles key presses sees Enter itself instead of the dialog manager taking it.
        LRESULT code = DefaultHandling(msg, wParam, lParam);
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        if (OnKeyPress && message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN)
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    default:
        break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace ui
