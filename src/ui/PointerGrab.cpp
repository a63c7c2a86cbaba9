#include "ui/PointerGrab.h"

#include <utility>

namespace ui {

PointerGrab::PointerGrab(HWND window, Hooks hooks) : window_(window), hooks_(std::move(hooks)) {
    current_ = this;
    ::SetCapture(window_);
    // Without it only clicks over the program's own windows come here; the grab works on as before.
    mouseHook_.reset(::SetWindowsHookExA(WH_MOUSE_LL, &PointerGrab::WatchMouse, ::GetModuleHandleA(nullptr), 0));
}

PointerGrab::~PointerGrab() {
    mouseHook_.reset();
    if (current_ == this) current_ = nullptr;
    if (::GetCapture() == window_) ::ReleaseCapture();
}

// Called on this thread for every mouse event of the desktop, before any window gets it. A button's press or
// release is kept from every window and comes to the grab's window as the queued message the grab takes; the
// grab's hooks run from the queue, never inside this call, which the system gives little time.
LRESULT CALLBACK PointerGrab::WatchMouse(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION && current_) {
        switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            ::PostMessageA(current_->window_, static_cast<UINT>(message), 0, 0);
            return 1;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_XBUTTONDOWN:
        case WM_XBUTTONUP:
            return 1;
        default:
            break;
        }
    }
    return ::CallNextHookEx(nullptr, code, message, data);
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
