#include "ui/Button.h"

#include "ui/Form.h"

namespace ui {

void Button::Create(const Place& place, std::string_view caption, const FontSpec& font) {
    CreateStandard("BUTTON", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, place.parent.Handle(), caption,
                   place.left, place.top, place.width, place.height, NextControlId());
    SetFont(font);
}

void Button::Click() {
    if (OnClick) OnClick();
    if (ModalResult != mrNone) {
        if (Form* form = FormOf(Handle())) form->SetModalResult(ModalResult);
    }
}

void Button::OnCommand(WORD code) {
    if (code == BN_CLICKED) Click();
}

LRESULT Button::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CONTEXTMENU && reinterpret_cast<HWND>(wParam) == Handle() && OnContextPopup) {
        OnContextPopup(ContextMenuPoint(Handle(), lParam, true));
        return 0;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace ui
