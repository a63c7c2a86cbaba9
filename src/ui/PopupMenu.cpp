#include "ui/PopupMenu.h"

#include <stdexcept>

#include "ui/UniqueHandle.h"

namespace ui {

int ChooseFromMenu(HWND owner, POINT screenPos, const std::vector<MenuChoice>& items) {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu) throw std::runtime_error("CreatePopupMenu failed");
    // Item identifiers count from 1: TrackPopupMenu answers 0 when nothing was chosen.
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!::AppendMenuA(menu.get(), MF_STRING | (items[i].enabled ? MF_ENABLED : MF_GRAYED), i + 1,
                           items[i].text.c_str()))
            throw std::runtime_error("AppendMenu failed");
    const int chosen = static_cast<int>(::TrackPopupMenu(
        menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, screenPos.x, screenPos.y, 0,
        owner, nullptr));
    return chosen - 1;
}

}  // namespace ui
