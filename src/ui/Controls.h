#pragma once
// The controls that the program's forms are made of. Each raises its events through std::function members
// (`OnClick`, `OnKeyUp`, ...) that the form wires to its handlers.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Canvas.h"
#include "ui/Window.h"

namespace ui {

// Where a child control goes: its parent and its rectangle in the parent's client area, in 96-DPI figures that
// the control scales for its parent's DPI.
struct Place {
    Container& parent;
    int left;
    int top;
    int width;
    int height;
};

// Each child gets its own control identifier; they start above the dialog manager's IDOK and IDCANCEL.
int NextControlId();

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

    std::function<void(WORD key, UINT shift)> OnKeyUp;
    // Key pressed (a character): the handler may set the character to 0 to swallow it.
    std::function<void(char& key)> OnKeyPress;
    // A paste, however asked for (Ctrl+V, Shift+Insert, the edit's menu): true when the handler took the
    // clipboard itself; otherwise the edit pastes as it always does.
    std::function<bool()> OnPaste;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    HBRUSH OnControlColor(HDC dc) override;

private:
    COLORREF color_ = CLR_INVALID;
    UniqueBrush brush_;
};

// A horizontal scroll bar; the position moves by the notification's own rule before OnScroll is raised.
class ScrollBar : public Window {
public:
    void Create(const Place& place, int min, int max, int smallChange, int largeChange);
    int Position() const noexcept { return position_; }
    // Sets the position unless the bar already stands there.
    void SetPosition(int position);

    std::function<void(int scrollCode, int position)> OnScroll;

protected:
    void OnHScroll(int code) override;

private:
    int NewPosition(int code) const;

    int min_ = 0;
    int max_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
    int position_ = 0;
};

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

// A group box: our own window, so that the controls inside it are its children and report to it.
class GroupBox : public Container {
public:
    void Create(const Place& place, std::string_view caption, const FontSpec& font);

protected:
    void PaintBackground(HDC dc, const RECT& client) override;
    HFONT CaptionFont() const;

private:
    std::string caption_;
    FontSpec font_;
};

class RadioGroup : public GroupBox {
public:
    void Create(const Place& place, std::string_view caption, const FontSpec& font,
                const std::vector<std::string>& items, int columns);
    int ItemIndex() const noexcept { return itemIndex_; }
    // -1 selects no item; a change raises OnClick.
    void SetItemIndex(int index);
    HWND ItemHandle(int index) const;
    std::function<void()> OnClick;

protected:
    void ApplyDpi(UINT dpi) override;

private:
    // Items fill the space under the caption, column by column, sized from the caption font's height.
    void LayOutItems();

    class Item : public Window {
    public:
        Item(RadioGroup& group, int index) : group_(group), index_(index) {}
        void Create(RadioGroup& group, std::string_view caption, const FontSpec& font, bool first);

    protected:
        void OnCommand(WORD code) override;
        HBRUSH OnControlColor(HDC dc) override;

    private:
        RadioGroup& group_;
        int index_;
    };

    std::vector<std::unique_ptr<Item>> items_;
    int columns_ = 1;
    int itemIndex_ = -1;
};

// A panel with a lowered outer bevel, one pixel at 96 DPI; its colour fills the inside.
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

// A label drawn by its container; transparent, so whatever lies beneath it shows through. A label that sizes
// itself does so from its text in the font made for its container's DPI.
class Label : public GraphicControl {
public:
    void Create(Container& parent, int left, int top, int width, int height, std::string_view caption,
                const FontSpec& font, bool autoSize = true);
    void SetCaption(std::string_view caption);
    const std::string& Caption() const noexcept { return caption_; }
    void SetFontColor(COLORREF color);
    COLORREF FontColor() const noexcept { return color_; }
    HFONT Font() const noexcept { return font_; }
    // A label in a colour of its own is drawn in the system's text colour while a high-contrast theme is on;
    // one that shows a colour being edited (the sample text) keeps it.
    void KeepColourInHighContrast() noexcept { keepColour_ = true; }

protected:
    void Paint(HDC dc) override;
    void ApplyDpi(UINT dpi) override;

private:
    void AdjustSize();

    std::string caption_;
    FontSpec spec_;
    HFONT font_ = nullptr;
    COLORREF color_ = ::GetSysColor(COLOR_WINDOWTEXT);
    bool autoSize_ = true;
    bool keepColour_ = false;
};

// An image drawn by its container from its own off-screen canvas, one canvas pixel to a screen pixel. When the
// DPI changes the control takes its new size and keeps its picture; its owner draws a new one for the new size.
class Image : public GraphicControl {
public:
    void Create(Container& parent, int left, int top, int width, int height);
    // The picture, created at the control's size on first use (and after SetPicture(nullptr)).
    Canvas& Picture();
    void SetPicture(std::unique_ptr<Canvas> picture);

protected:
    void Paint(HDC dc) override;

private:
    std::unique_ptr<Canvas> picture_;
};

}  // namespace ui
