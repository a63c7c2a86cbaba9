#include "ui/WindowMenu.h"

#include <stdexcept>

#include "ui/UniqueHandle.h"

namespace ui {

HMENU WindowMenu::Menu() const {
    HMENU menu = ::GetSystemMenu(window_, FALSE);
    if (!menu) throw std::runtime_error("GetSystemMenu failed");
    return menu;
}

void WindowMenu::AddSeparator() {
    ::AppendMenuA(Menu(), MF_SEPARATOR, 0, nullptr);
}

UINT WindowMenu::AddItem(const std::string& text, std::function<void()> action) {
    const UINT id = nextItemId_;
    nextItemId_ += kIdStep;
    if (!::AppendMenuA(Menu(), MF_STRING, id, text.c_str())) throw std::runtime_error("AppendMenu failed");
    actions_[id] = std::move(action);
    return id;
}

void WindowMenu::EnableItem(UINT id, bool enabled) {
    ::EnableMenuItem(Menu(), id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
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
    for (const UINT id : submenu.ids) {
        actions_.erase(id);
        pictures_.erase(id);
    }
    submenu.ids.clear();

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
        const bool picture = entry.drawPicture && entry.pictureSize.cx > 0 && entry.pictureSize.cy > 0;
        if (picture) {
            item.fMask |= MIIM_BITMAP;
            item.hbmpItem = HBMMENU_CALLBACK;
        }
        if (!::InsertMenuItemA(submenu.handle, static_cast<UINT>(i), TRUE, &item))
            throw std::runtime_error("InsertMenuItem failed");
        submenu.ids.push_back(id);
        if (picture) pictures_[id] = Picture{std::move(entry.drawPicture), entry.pictureSize};
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

bool WindowMenu::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_MENU) return false;
        const auto found = pictures_.find(measure->itemID);
        if (found == pictures_.end()) return false;
        measure->itemWidth = static_cast<UINT>(found->second.size.cx);
        measure->itemHeight = static_cast<UINT>(found->second.size.cy);
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlType != ODT_MENU) return false;
        const auto found = pictures_.find(draw->itemID);
        if (found == pictures_.end()) return false;
        // The picture's own size, centred in what the menu gives it.
        const SIZE size = found->second.size;
        const RECT& given = draw->rcItem;
        const LONG left = given.left + (given.right - given.left - size.cx) / 2;
        const LONG top = given.top + (given.bottom - given.top - size.cy) / 2;
        found->second.draw(draw->hDC, RECT{left, top, left + size.cx, top + size.cy});
        result = TRUE;
        return true;
    }
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
