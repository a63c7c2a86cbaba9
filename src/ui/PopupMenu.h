#pragma once
// A popup menu for one choice: shown at a point, tracked until the user chooses or leaves it, then gone.
#include <windows.h>

#include <string>
#include <vector>

namespace ui {

struct MenuChoice {
    std::string text;  // with its access key after "&", and anything after a tab right-aligned
    bool enabled = true;
};

// Shows the items at a screen point for the window `owner`; the index of the item chosen, or -1 when none was.
// Throws when the menu cannot be made.
int ChooseFromMenu(HWND owner, POINT screenPos, const std::vector<MenuChoice>& items);

}  // namespace ui
