#pragma once
// A push button.
#include <windows.h>

#include <functional>
#include <string_view>

#include "ui/Control.h"
#include "ui/FontSpec.h"
#include "ui/Window.h"

namespace ui {

class Button : public Window {
public:
    void Create(const Place& place, std::string_view caption, const FontSpec& font);
    // A non-zero modal result ends the modal form the button is on, after OnClick.
    int ModalResult = 0;
    std::function<void()> OnClick;
    // A right-click on the button, or Shift+F10 or the menu key while it has the focus: where a menu goes, in
    // screen coordinates (below the button for the keyboard, as a drop-down would).
    std::function<void(POINT screenPos)> OnContextPopup;
    void Click();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(WORD code) override;
};

}  // namespace ui
