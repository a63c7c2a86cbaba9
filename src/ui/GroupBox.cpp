#include "ui/GroupBox.h"

#include "ui/Application.h"
#include "ui/UniqueHandle.h"

namespace ui {

void GroupBox::Create(const Place& place, std::string_view caption, const FontSpec& font) {
    caption_ = std::string(caption);
    font_ = font;
    CreateOwn(WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, place.parent.Handle(), caption,
              place.left, place.top, place.width, place.height, NextControlId());
    SetFont(font);
}

HFONT GroupBox::CaptionFont() const {
    return Application::Get().Font(font_, Dpi());
}

void GroupBox::PaintBackground(HDC dc, const RECT& client) {
    Container::PaintBackground(dc, client);
    ScopedSelectObject selectFont(dc, CaptionFont());
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    RECT frame = client;
    frame.top = metrics.tmHeight / 2;
    ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (caption_.empty()) return;
    SIZE size{};
    ::GetTextExtentPoint32A(dc, caption_.data(), static_cast<int>(caption_.size()), &size);
    RECT text{Scale(8), 0, Scale(8) + size.cx + Scale(2), metrics.tmHeight};
    ::SetBkColor(dc, Color());
    ::SetBkMode(dc, OPAQUE);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::DrawTextA(dc, caption_.data(), static_cast<int>(caption_.size()), &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace ui
