#include "ui/Controls.h"

#include <algorithm>
#include <utility>

#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/HighContrast.h"

namespace ui {

int NextControlId() {
    static int next = 100;
    return next++;
}

namespace {

// Where the menu that WM_CONTEXTMENU asks for goes: where the mouse was, or for the keyboard (lParam -1) at the
// window's corner, its top-left or its bottom-left.
POINT ContextMenuPoint(HWND hwnd, LPARAM lParam, bool belowWindow) {
    if (lParam != -1) return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    RECT client{};
    ::GetClientRect(hwnd, &client);
    POINT at{0, belowWindow ? client.bottom : 0};
    ::ClientToScreen(hwnd, &at);
    return at;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Edit

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

void Edit::SetColor(COLORREF color) {
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

// ---------------------------------------------------------------------------------------------------------------
// ScrollBar

void ScrollBar::Create(const Place& place, int min, int max, int smallChange, int largeChange) {
    CreateStandard("SCROLLBAR", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_HORZ, place.parent.Handle(), "",
                   place.left, place.top, place.width, place.height, NextControlId());
    min_ = min;
    max_ = max;
    smallChange_ = smallChange;
    largeChange_ = largeChange;
    position_ = min;
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, min, max, 0, min, 0};
    ::SetScrollInfo(Handle(), SB_CTL, &info, TRUE);
}

void ScrollBar::SetPosition(int position) {
    position = std::clamp(position, min_, max_);
    if (position == position_) return;
    position_ = position;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = position;
    // Redrawn with the next paint rather than at once: a thumb drag moves the bar up to 256 times, and an
    // immediate redraw on each move cost more than the rest of the colour update together.
    ::SetScrollInfo(Handle(), SB_CTL, &info, FALSE);
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

int ScrollBar::NewPosition(int code) const {
    switch (code) {
    case SB_LINELEFT:
        return position_ - smallChange_;
    case SB_LINERIGHT:
        return position_ + smallChange_;
    case SB_PAGELEFT:
        return position_ - largeChange_;
    case SB_PAGERIGHT:
        return position_ + largeChange_;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(Handle(), SB_CTL, &info);
        return info.nTrackPos;
    }
    case SB_LEFT:
        return min_;
    case SB_RIGHT:
        return max_;
    default:  // SB_ENDSCROLL
        return position_;
    }
}

void ScrollBar::OnHScroll(int code) {
    const int position = std::clamp(NewPosition(code), min_, max_);
    SetPosition(position);
    if (OnScroll) OnScroll(code, position);
}

// ---------------------------------------------------------------------------------------------------------------
// Button, CheckBox

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

// ---------------------------------------------------------------------------------------------------------------
// GroupBox, RadioGroup

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

// ---------------------------------------------------------------------------------------------------------------
// Panel

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
        return false;
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

// ---------------------------------------------------------------------------------------------------------------
// Label, Image

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
    if (color == color_) return;
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
    ::SetTextColor(dc, keepColour_ || !HighContrastOn() ? color_ : ::GetSysColor(COLOR_BTNTEXT));
    RECT r = Bounds();
    ::DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS);
}

void Image::Create(Container& parent, int left, int top, int width, int height) {
    Attach(parent, left, top, width, height);
}

Canvas& Image::Picture() {
    if (!picture_) {
        const RECT r = Bounds();
        picture_ = std::make_unique<Canvas>(r.right - r.left, r.bottom - r.top);
    }
    return *picture_;
}

void Image::SetPicture(std::unique_ptr<Canvas> picture) {
    picture_ = std::move(picture);
    Invalidate();
}

void Image::Paint(HDC dc) {
    if (!picture_) return;
    const RECT r = Bounds();
    const int width = std::min<int>(r.right - r.left, picture_->Width());
    const int height = std::min<int>(r.bottom - r.top, picture_->Height());
    ::BitBlt(dc, r.left, r.top, width, height, picture_->DC(), 0, 0, SRCCOPY);
}

}  // namespace ui
