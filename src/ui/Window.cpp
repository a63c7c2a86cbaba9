#include "ui/Window.h"

#include <algorithm>

#include "ui/Application.h"
#include "ui/Dpi.h"

namespace ui {

UINT Window::DpiOf(HWND hwnd) noexcept {
    const Window* window = FromHandle(hwnd);
    return window ? window->Dpi() : DpiOfWindow(hwnd);
}

RECT Window::TakeLayout(HWND parent, int left, int top, int width, int height) {
    dpi_ = DpiOf(parent);
    layout_ = RECT{left, top, left + width, top + height};
    return ScaleLayoutRect(*layout_, dpi_);
}

bool Window::HasAccessibleText() const noexcept {
    return !accessible_.name.empty() || accessible_.value || accessible_.role != 0;
}

void Window::SetAccessibleName(std::string_view name) {
    if (accessible_.name == name) return;
    accessible_.name = std::string(name);
    if (hwnd_) NotifyAccessibleChange(hwnd_, EVENT_OBJECT_NAMECHANGE);
}

void Window::SetAccessibleValue(std::function<std::string()> value) {
    accessible_.value = std::move(value);
}

void Window::AccessibleValueChanged() const noexcept {
    if (hwnd_) NotifyAccessibleChange(hwnd_, EVENT_OBJECT_VALUECHANGE);
}

void Window::SetBounds(int left, int top, int width, int height) {
    ::SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Window::Bounds() const {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    if (HWND parent = ::GetParent(hwnd_); parent && (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD))
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Window::SetEnabled(bool enabled) {
    ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Window::Enabled() const {
    return ::IsWindowEnabled(hwnd_) != FALSE;
}

void Window::SetText(std::string_view text) {
    const std::string value(text);
    ::SetWindowTextA(hwnd_, value.c_str());
}

std::string Window::Text() const {
    const int length = ::GetWindowTextLengthA(hwnd_);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(hwnd_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

void Window::SetFont(HFONT font) {
    ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Window::SetFont(const FontSpec& font) {
    font_ = font;
    SetFont(Application::Get().Font(font, dpi_));
}

void Window::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    if (layout_) {
        const RECT r = ScaleLayoutRect(*layout_, dpi);
        ::SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (font_) SetFont(*font_);
}

}  // namespace ui
