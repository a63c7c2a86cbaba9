#include "ui/WindowMenu.h"

#include <stdexcept>
#include <string>

namespace ui {
namespace {

// The system keeps the low four bits of a window menu command for itself, and its own commands start at
// SC_SIZE (0xF000): ours are 0x10, 0x20, ... below that.
constexpr UINT kCommandStep = 0x10;

UINT CommandOf(std::size_t index) noexcept {
    return static_cast<UINT>((index + 1) * kCommandStep);
}

}  // namespace

void WindowMenu::AddItem(std::string_view text, std::function<void()> onChoose) {
    const UINT command = CommandOf(handlers_.size());
    if (command >= SC_SIZE) throw std::length_error("too many window menu items");
    const std::string caption(text);
    if (!::AppendMenuA(::GetSystemMenu(window_, FALSE), MF_STRING, command, caption.c_str()))
        throw std::runtime_error("cannot add to the window menu");
    handlers_.push_back(std::move(onChoose));
}

void WindowMenu::AddSeparator() {
    if (!::AppendMenuA(::GetSystemMenu(window_, FALSE), MF_SEPARATOR, 0, nullptr))
        throw std::runtime_error("cannot add to the window menu");
}

bool WindowMenu::Choose(WPARAM command) const {
    const UINT ours = static_cast<UINT>(command) & 0xFFF0;
    if (ours == 0 || ours >= SC_SIZE || ours / kCommandStep > handlers_.size()) return false;
    const auto& handler = handlers_[ours / kCommandStep - 1];
    if (handler) handler();
    return true;
}

}  // namespace ui
