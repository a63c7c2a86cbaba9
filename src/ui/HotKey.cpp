#include "ui/HotKey.h"

namespace ui {

namespace {
constexpr UINT kNoRepeat = 0x4000;  // MOD_NOREPEAT: a held key starts one pick, not one per repeat
}

HotKey::HotKey(HWND window, int id, UINT modifiers, UINT key) noexcept
    : window_(window), id_(id), registered_(::RegisterHotKey(window, id, modifiers | kNoRepeat, key) != FALSE) {}

HotKey::~HotKey() {
    if (registered_) ::UnregisterHotKey(window_, id_);
}

}  // namespace ui
