#pragma once
// An edit box: one line of text, or a read-only text of several lines.
#include <windows.h>

#include <functional>
#include <string_view>

#include "ui/Control.h"
#include "ui/FontSpec.h"
#include "ui/UniqueHandle.h"
#include "ui/Window.h"

namespace ui {

class Edit : public Window {
public:
    void Create(const Place& place, const FontSpec& font);
    // A read-only text of several lines with a vertical scroll bar, which its form places itself (SetBounds) as
    // its size changes: the text can be selected and copied, and screen readers read it.
    void CreateReadOnlyText(Container& parent, const FontSpec& font);
    void SetMaxLength(int length);
    // Replaces the text unless the edit already shows exactly that text (which would put the caret at the start).
    void SetTextIfChanged(std::string_view text);
    void SetColor(COLORREF color);
    // A system colour (COLOR_WINDOW...), read again when the system's colours change.
    void SetSystemColor(int index);

    std::function<void(WORD key, UINT shift)> OnKeyUp;
    // Key pressed (a character): the handler may set the character to 0 to swallow it.
    std::function<void(char& key)> OnKeyPress;
    // A paste, however asked for (Ctrl+V, Shift+Insert, the edit's menu): true when the handler took the
    // clipboard itself; otherwise the edit's own paste runs.
    std::function<bool()> OnPaste;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    HBRUSH OnControlColor(HDC dc) override;

private:
    COLORREF color_ = CLR_INVALID;
    int systemColor_ = -1;  // the system colour's index, or none
    UniqueBrush brush_;
};

}  // namespace ui
