#include "support/MenuChooser.h"

#include <utility>

namespace testsupport {

MenuChooser::MenuChooser(std::string keys) : keys_(std::move(keys)) {
    current_ = this;
    hook_ = ::SetWindowsHookExA(WH_CALLWNDPROC, &MenuChooser::BeforeWindowProc, nullptr, ::GetCurrentThreadId());
    timer_ = ::SetTimer(nullptr, 0, 20000, &MenuChooser::GiveUp);
}

MenuChooser::~MenuChooser() {
    ::KillTimer(nullptr, timer_);
    if (hook_) ::UnhookWindowsHookEx(hook_);
    current_ = nullptr;
}

LRESULT CALLBACK MenuChooser::BeforeWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    MenuChooser* self = current_;
    if (code != HC_ACTION || !self) return ::CallNextHookEx(nullptr, code, wParam, lParam);
    // The hook runs before the window procedure, which may still fill the menu: it is looked at once the menu is
    // up and idle.
    if (message->message == WM_INITMENUPOPUP) self->opened_ = HMENU(message->wParam);
    // One key each time the menu waits, so that a submenu that a key opens is up for the next key.
    if (message->message == WM_ENTERIDLE && message->wParam == MSGF_MENU) {
        if (self->opened_) self->Note(std::exchange(self->opened_, nullptr));
        if (self->next_ < self->keys_.size()) {
            self->pressed = true;
            ::PostMessageA(message->hwnd, WM_CHAR, static_cast<unsigned char>(self->keys_[self->next_++]), 1);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK MenuChooser::GiveUp(HWND, UINT, UINT_PTR, DWORD) {
    ::EndMenu();
}

void MenuChooser::Note(HMENU menu) {
    items.clear();
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        items.push_back({text, !(::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED)});
    }
}

}  // namespace testsupport
