#include "ui/PointerGrab.h"

#include <utility>

namespace ui {

PointerGrab::PointerGrab(HWND window, Hooks hooks) : window_(window), hooks_(std::move(hooks)) {
    current_ = this;
    ::SetCapture(window_);
}

PointerGrab::~PointerGrab() {
    if (current_ == this) current_ = nullptr;
    if (::GetCapture() == window_) ::ReleaseCapture();
}

bool PointerGrab::Holding() const noexcept {
    return ::GetCapture() == window_;
}

bool PointerGrab::HandleQueued(const MSG& msg) {
    return current_ && current_->Take(msg);
}

// A hook may end the grab, which destroys this object: each is copied first and nothing of the object is used
// after it ran.
bool PointerGrab::Take(const MSG& msg) {
    const UINT message = msg.message;
    if (message >= WM_KEYFIRST && message <= WM_KEYLAST) {
        if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && hooks_.key) {
            const auto key = hooks_.key;
            key(static_cast<UINT>(msg.wParam), (msg.lParam & (1L << 30)) != 0);
        }
        return true;
    }
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = true;
        return true;
    case WM_LBUTTONUP:
        if (std::exchange(pressed_, false) && hooks_.click) {
            const auto click = hooks_.click;
            click();
        }
        return true;
    case WM_MOUSEWHEEL:
        if (hooks_.wheel) {
            const auto wheel = hooks_.wheel;
            wheel(GET_WHEEL_DELTA_WPARAM(msg.wParam));
        }
        return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
        return true;
    default:
        return false;
    }
}

}  // namespace ui
