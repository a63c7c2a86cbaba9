#include "ui/Label.h"

#include "ui/Application.h"
#include "ui/Container.h"
#include "ui/HighContrast.h"
#include "ui/UniqueHandle.h"

namespace ui {

void Label::Create(Container& parent, int left, int top, int width, int height, std::string_view caption,
                   const FontSpec& font, bool autoSize) {
    caption_ = std::string(caption);
    spec_ = font;
    font_ = Application::Get().Font(font, parent.Dpi());
    autoSize_ = autoSize;
    Attach(parent, left, top, width, height);
    AdjustSize();
}

void Label::ApplyDpi(UINT dpi) {
    font_ = Application::Get().Font(spec_, dpi);
    GraphicControl::ApplyDpi(dpi);
    AdjustSize();
}

void Label::SetCaption(std::string_view caption) {
    if (caption == caption_) return;
    Invalidate();
    caption_ = std::string(caption);
    AdjustSize();
    Invalidate();
}

void Label::SetFontColor(COLORREF color) {
    if (color == color_ && !systemColour_) return;
    systemColour_ = false;
    color_ = color;
    Invalidate();
}

void Label::AdjustSize() {
    if (!autoSize_) return;
    ScopedGetDC dc(nullptr);
    ScopedSelectObject selectFont(dc.get(), font_);
    RECT r{0, 0, 0, 0};
    ::DrawTextA(dc.get(), caption_.c_str(), static_cast<int>(caption_.size()), &r,
                DT_CALCRECT | DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS);
    const RECT bounds = Bounds();
    SetBounds(RECT{bounds.left, bounds.top, bounds.left + r.right, bounds.top + r.bottom});
}

void Label::Paint(HDC dc) {
    ScopedSelectObject selectFont(dc, font_);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, keepColour_ || !HighContrastOn() ? FontColor() : ::GetSysColor(COLOR_BTNTEXT));
    RECT r = Bounds();
    ::DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS);
}

}  // namespace ui
