#pragma once
// A top-level form: caption, border, placement, close event and modal showing with a result.
//
// Every form keeps its place for the keyboard as the system's dialog manager does: the control that last had the
// focus is remembered when the form is left (for a dialog box, a message box, another window or program) and
// gets the focus back when the form is activated again. Every form with a title bar also takes part in F6 and
// Alt+F6 (Shift goes back), which move between the program's forms in the order they were made; a form joins
// both by being made with Create, and leaves them when it goes.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/Container.h"
#include "ui/WindowMenu.h"

namespace ui {

enum ModalResultCode : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL };

enum class FormBorder { None, Single, Sizeable };

// Place and size are 96-DPI figures (the place unless physicalPlace): the form scales them for the DPI of the
// monitor it is made on.
struct FormLayout {
    std::string caption;
    int left = 0;
    int top = 0;
    int width = 0;   // the client area's size, or the outer size when outerSize is set
    int height = 0;
    bool outerSize = false;
    FormBorder border = FormBorder::Single;
    bool minimizeBox = true;
    bool maximizeBox = false;
    bool topmost = false;
    HWND owner = nullptr;  // the application window when null
    bool noActivate = false;  // a click never activates it (a window that only shows something)
    // Left and top are physical pixels of the virtual screen, not scaled: a place kept from an earlier run comes
    // back on the same monitor whatever the DPI of the monitors on the way.
    bool physicalPlace = false;
};

class Form;
// Called once a modal form is shown, inside its modal loop: how tests drive modal forms.
using ModalShown = std::function<void(Form&)>;

class Form : public Container {
public:
    explicit Form(ModalShown modalShown = {}) : modalShown_(std::move(modalShown)) {}
    ~Form() override;

    void Create(const FormLayout& layout);

    void Show();
    void Hide();
    void Close();
    bool Visible() const;

    // Shows the form with every other form of the program disabled, until a modal result is set.
    int ShowModal();
    void SetModalResult(int result) noexcept { modalResult_ = result; }
    int ModalResult() const noexcept { return modalResult_; }

    // The close event. An exception from it abandons the close, and the error display shows it.
    std::function<void()> OnClose;

    // The form's window menu, for items of the program's own.
    WindowMenu& Menu();
    // A key that the form answers while it is the active window, whichever of its controls has the focus and
    // before that control sees it. `modifiers` are MOD_CONTROL, MOD_SHIFT and MOD_ALT, exactly those held.
    void AddShortcut(UINT modifiers, UINT key, std::function<void()> run);
    // A queued key message while the form is active: true when it was one of its shortcuts, which then ran.
    bool TranslateShortcut(const MSG& msg);

    // The control that gets the focus when the form is next activated, until the user moves it (a dialog's
    // first control).
    void FocusOnActivation(const Window& control) noexcept { focused_ = control.Handle(); }
    // `control` got the focus: it is the one given back when the form is activated again.
    void RememberFocus(HWND control) noexcept;
    // Whether F6 and Alt+F6 can move to the form now: shown, enabled, with a title bar.
    bool TakesFormSwitch() const noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Called once the controls are laid out for a new DPI, for what the form draws at its own size.
    virtual void OnDpiChanged() {}

private:
    void OnCloseRequest();
    // The outer size for `dpi`: the client area of the layout scaled, in a frame drawn at that DPI.
    SIZE OuterSizeFor(UINT dpi) const;
    // WM_DPICHANGED: the system's rectangle for the new DPI, then the controls and their fonts.
    void TakeDpi(UINT dpi, const RECT& suggested);
    // WM_ACTIVATE: the focus given back to the control that had it; false when there is none to give it to.
    bool RestoreFocus();
    static BOOL CALLBACK PassSystemColourChange(HWND child, LPARAM);

    struct Shortcut {
        UINT modifiers;
        UINT key;
        std::function<void()> run;
    };

    ModalShown modalShown_;
    int modalResult_ = mrNone;
    bool modal_ = false;
    bool placing_ = false;  // moving to its place for its DPI while it is made
    FormLayout layout_;
    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    std::unique_ptr<WindowMenu> menu_;
    std::vector<Shortcut> shortcuts_;
    HWND focused_ = nullptr;
};

// The form that a child window belongs to.
Form* FormOf(HWND child);

}  // namespace ui
