#include "ui/WindowMenu.h"

#include <stdexcept>

namespace ui {

void WindowMenu::Attach(HWND window) {
    window_ = window;
}

HMENU WindowMenu::Menu() const {
    HMENU menu = ::GetSystemMenu(window_, FALSE);
    if (!menu) throw std::runtime_error("GetSystemMenu failed");
    return menu;
}

void WindowMenu::AddSeparator() {
    ::AppendMenuA(Menu(), MF_SEPARATOR, 0, nullptr);
}

void WindowMenu::AddItem(const std::string& text, std::function<void()> action) {
    const UINT id = nextItemId_;
    nextItemId_ += kIdStep;
    if (!::AppendMenuA(Menu(), MF_STRING, id, text.c_str())) throw std::runtime_error("AppendMenu failed");
    actions_[id] = std::move(action);
}

void WindowMenu::AddSubmenu(const std::string& text, std::function<std::vector<WindowMenuEntry>()> fill) {
    auto submenu = std::make_unique<Submenu>();
    UniqueMenu popup(::CreatePopupMenu());
    if (!popup || !::AppendMenuA(Menu(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()), text.c_str()))
        throw std::runtime_error("AppendMenu failed");
    submenu->handle = popup.release();  // the window menu destroys it with itself
    submenu->fill = std::move(fill);
    submenu->firstId = kFirstSubmenuId + static_cast<UINT>(submenus_.size()) * kSubmenuIdRange;
    submenus_.push_back(std::move(submenu));
}

void WindowMenu::Fill(Submenu& submenu) {
    while (::GetMenuItemCount(submenu.handle) > 0) ::DeleteMenu(submenu.handle, 0, MF_BYPOSITION);
    for (const UINT id : submenu.ids) actions_.erase(id);
    submenu.ids.clear();
    submenu.pictures.clear();

    std::vector<WindowMenuEntry> entries = submenu.fill();
    const std::size_t most = kSubmenuIdRange / kIdStep;
    for (std::size_t i = 0; i < entries.size() && i < most; ++i) {
        WindowMenuEntry& entry = entries[i];
        const UINT id = submenu.firstId + static_cast<UINT>(i) * kIdStep;
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
        item.wID = id;
        item.fState = entry.enabled ? MFS_ENABLED : MFS_GRAYED;
        item.dwTypeData = entry.text.data();
        if (entry.picture) {
            item.fMask |= MIIM_BITMAP;
            item.hbmpItem = entry.picture.get();
        }
        if (!::InsertMenuItemA(submenu.handle, static_cast<UINT>(i), TRUE, &item))
            throw std::runtime_error("InsertMenuItem failed");
        submenu.ids.push_back(id);
        if (entry.picture) submenu.pictures.push_back(std::move(entry.picture));
        if (entry.action) actions_[id] = std::move(entry.action);
    }
}

bool WindowMenu::Run(UINT id) {
    const auto found = actions_.find(id);
    if (found == actions_.end()) return false;
    // The action may fill a submenu again, which replaces the map's entries: run a copy.
    const std::function<void()> action = found->second;
    action();
    return true;
}

bool WindowMenu::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITMENUPOPUP:
        for (const std::unique_ptr<Submenu>& submenu : submenus_)
            if (reinterpret_cast<HMENU>(wParam) == submenu->handle) {
                Fill(*submenu);
                return true;
            }
        return false;
    case WM_SYSCOMMAND:
        return Run(static_cast<UINT>(wParam & 0xFFF0));
    case WM_COMMAND:
        // An item of a submenu may come as a menu's WM_COMMAND (no control, notification 0) instead.
        return lParam == 0 && HIWORD(wParam) == 0 && Run(LOWORD(wParam));
    default:
        return false;
    }
}

}  // namespace ui
