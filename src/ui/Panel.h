#pragma once
// A panel with a lowered outer bevel, one pixel at 96 DPI; its colour fills the inside.
#include <windows.h>

#include <functional>

#include "ui/Container.h"
#include "ui/Control.h"

namespace ui {

class Panel : public Container {
public:
    void Create(const Place& place);
    // Makes the panel a control that takes the keyboard focus, in its place in the tab order: it shows the
    // system's focus rectangle while it has the focus (unless the system hides focus cues until the keyboard is
    // used), Enter and Space raise OnKeyClick, and the menu key and Shift+F10 raise OnContextPopup. With
    // `clickFocuses` a left click gives it the focus too.
    void MakeFocusable(bool clickFocuses);
    std::function<void(Panel& sender)> OnClick;
    std::function<void()> OnKeyClick;
    // An arrow key, Home or End while it has the focus (the panel is one of a set the keys move between): true
    // when it was taken. While set, the dialog manager leaves the arrow keys to the panel.
    std::function<bool(UINT virtualKey)> OnMoveKey;
    // A right-click on the panel or on the images and labels it draws, or the menu key while it has the focus:
    // where a menu goes, in screen coordinates.
    std::function<void(POINT screenPos)> OnContextPopup;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PaintBackground(HDC dc, const RECT& client) override;
    void PaintForeground(HDC dc, const RECT& client) override;

private:
    // The key message, when it is one the focused panel acts on; true when it was taken.
    bool OnKey(UINT msg, WPARAM key, LPARAM flags);
    void PopupFromKeyboard();

    bool pressed_ = false;
    bool focusable_ = false;
    bool clickFocuses_ = false;
    bool menuKeyTaken_ = false;  // Shift+F10 went down: its release must not open the window menu
};

}  // namespace ui
