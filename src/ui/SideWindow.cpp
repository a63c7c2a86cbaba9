#include "ui/SideWindow.h"

#include <algorithm>

#include "ui/Dpi.h"

namespace ui {

FormLayout SideLayout(HWND owner, const char* caption, const SidePlace& place, int minWidth, int minHeight) {
    FormLayout layout;
    layout.caption = caption;
    layout.left = place.left;
    layout.top = place.top;
    layout.width = std::max(place.width, minWidth);
    layout.height = std::max(place.height, minHeight);
    layout.border = FormBorder::Sizeable;
    layout.minimizeBox = false;
    layout.topmost = true;
    layout.owner = owner;
    layout.physicalPlace = true;
    return layout;
}

SidePlace SideForm::CurrentPlace() const {
    return CurrentSidePlace(Handle(), Dpi());
}

void SideForm::CreateSide(HWND owner, const char* caption, const Place& place) {
    Create(SideLayout(owner, caption, place, minWidth_, minHeight_));
    KeepOnWorkArea(Handle());
}

void SideForm::ControlsMade() {
    controlsMade_ = true;
    LayOut();
}

void SideForm::OnDpiChanged() {
    if (controlsMade_) LayOut();
}

LRESULT SideForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        if (controlsMade_) LayOut();
        break;
    case WM_GETMINMAXINFO:
        LimitTrackSize(Handle(), minWidth_, minHeight_, Dpi(), lParam);
        return 0;
    default:
        break;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

void ShowWithFocusOn(Form& form, HWND focus) {
    if (form.Visible()) {
        ::SetActiveWindow(form.Handle());
    } else {
        form.Show();
    }
    ::SetFocus(focus);
}

void KeepOnWorkArea(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    const int left = std::max<int>(std::min<int>(r.left, work.right - (r.right - r.left)), work.left);
    const int top = std::max<int>(std::min<int>(r.top, work.bottom - (r.bottom - r.top)), work.top);
    if (left != r.left || top != r.top)
        ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SidePlace CurrentSidePlace(HWND window, UINT dpi) {
    RECT outer{}, client{};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &client);
    return SidePlace{outer.left, outer.top, UnscaleLayout(client.right, dpi), UnscaleLayout(client.bottom, dpi)};
}

void LimitTrackSize(HWND window, int minWidth, int minHeight, UINT dpi, LPARAM minMaxInfo) {
    const RECT frame = FrameAround(RECT{0, 0, ScaleLayout(minWidth, dpi), ScaleLayout(minHeight, dpi)},
                                   static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE)),
                                   static_cast<DWORD>(::GetWindowLongA(window, GWL_EXSTYLE)), dpi);
    auto* limits = reinterpret_cast<MINMAXINFO*>(minMaxInfo);
    limits->ptMinTrackSize = POINT{frame.right - frame.left, frame.bottom - frame.top};
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace ui
