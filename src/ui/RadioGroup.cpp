#include "ui/RadioGroup.h"

#include <algorithm>

#include "ui/UniqueHandle.h"

namespace ui {

void RadioGroup::Create(const Place& place, std::string_view caption, const FontSpec& font,
                        const std::vector<std::string>& items, int columns) {
    GroupBox::Create(place, caption, font);
    columns_ = std::max(columns, 1);
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto item = std::make_unique<Item>(*this, static_cast<int>(i));
        item->Create(*this, items[i], font, i == 0);
        items_.push_back(std::move(item));
    }
    LayOutItems();
}

// As large as the box allows, in its pixels: the caption's height comes from the font at the box's DPI.
void RadioGroup::LayOutItems() {
    TEXTMETRICA metrics{};
    {
        ScopedGetDC dc(Handle());
        ScopedSelectObject selectFont(dc.get(), CaptionFont());
        ::GetTextMetricsA(dc.get(), &metrics);
    }
    RECT box{};
    ::GetClientRect(Handle(), &box);
    const int count = static_cast<int>(items_.size());
    const int perColumn = std::max((count + columns_ - 1) / columns_, 1);
    const int itemWidth = (box.right - Scale(10)) / columns_;
    const int space = box.bottom - metrics.tmHeight - Scale(5);
    const int itemHeight = space / perColumn;
    const int topMargin = metrics.tmHeight + Scale(1) + (space % perColumn) / 2;
    for (int i = 0; i < count; ++i)
        items_[static_cast<std::size_t>(i)]->SetBounds((i / perColumn) * itemWidth + Scale(8),
                                                       (i % perColumn) * itemHeight + topMargin, itemWidth, itemHeight);
}

void RadioGroup::ApplyDpi(UINT dpi) {
    GroupBox::ApplyDpi(dpi);
    LayOutItems();
}

void RadioGroup::SetItemIndex(int index) {
    index = std::clamp(index, -1, static_cast<int>(items_.size()) - 1);
    if (index == itemIndex_) return;
    itemIndex_ = index;
    for (std::size_t i = 0; i < items_.size(); ++i)
        ::SendMessageA(items_[i]->Handle(), BM_SETCHECK,
                       static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
    if (OnClick) OnClick();
}

HWND RadioGroup::ItemHandle(int index) const {
    return items_.at(static_cast<std::size_t>(index))->Handle();
}

void RadioGroup::Item::Create(RadioGroup& group, std::string_view caption, const FontSpec& font, bool first) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON;
    if (first) style |= WS_GROUP;
    CreateStandard("BUTTON", 0, style, group.Handle(), caption, 0, 0, 0, 0, NextControlId());
    PlacedByParent();
    SetFont(font);
}

void RadioGroup::Item::OnCommand(WORD code) {
    if (code == BN_CLICKED && ::SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED) group_.SetItemIndex(index_);
}

HBRUSH RadioGroup::Item::OnControlColor(HDC) {
    return nullptr;  // the group's background
}

}  // namespace ui
