#pragma once
// A check box, which keeps its own tick.
#include <windows.h>

#include <functional>
#include <string_view>

#include "ui/Control.h"
#include "ui/FontSpec.h"
#include "ui/Window.h"

namespace ui {

class CheckBox : public Window {
public:
    void Create(const Place& place, std::string_view caption, const FontSpec& font);
    bool Checked() const;
    // Changing the tick from code raises OnClick too, as a click does.
    void SetChecked(bool checked);
    std::function<void()> OnClick;

protected:
    void OnCommand(WORD code) override;
    HBRUSH OnControlColor(HDC dc) override;

private:
    bool checked_ = false;
};

}  // namespace ui
