#include "ui/CheckBox.h"

namespace ui {

void CheckBox::Create(const Place& place, std::string_view caption, const FontSpec& font) {
    CreateStandard("BUTTON", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, place.parent.Handle(), caption,
                   place.left, place.top, place.width, place.height, NextControlId());
    SetFont(font);
}

bool CheckBox::Checked() const {
    return checked_;
}

void CheckBox::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    ::SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (OnClick) OnClick();
}

void CheckBox::OnCommand(WORD code) {
    if (code != BN_CLICKED) return;
    checked_ = ::SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (OnClick) OnClick();
}

HBRUSH CheckBox::OnControlColor(HDC) {
    return nullptr;  // the container's background
}

}  // namespace ui
