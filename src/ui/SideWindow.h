#pragma once
// What the windows that stand beside the main window share (the contrast details, the palette's contrast
// table): a kept place that must land on a monitor that is there; a smallest client size; and
// a read-only text whose lines the multi-line edit breaks at CR LF only.
#include <windows.h>

#include <string>

#include "ui/Form.h"

namespace ui {

// A window's left and top corner in physical pixels of the virtual screen (a place divided by one monitor's DPI
// would come back on another monitor at a mix of DPIs) and its client size, 96-DPI figures.
struct SidePlace {
    int left, top, width, height;
};

// A sizeable, always-on-top form titled `caption`, owned by `owner`, at `place` and never smaller than
// `minWidth` x `minHeight` (96-DPI): it stands beside the main window, which is always on top.
FormLayout SideLayout(HWND owner, const char* caption, const SidePlace& place, int minWidth, int minHeight);

// A window beside the main window: made at a kept place as far as the nearest monitor's work area allows, never
// sized below its smallest client area, its controls laid out again at every change of size or DPI.
class SideForm : public Form {
public:
    using Place = SidePlace;
    // Where the window stands now, as a place to keep.
    Place CurrentPlace() const;

protected:
    SideForm(int minWidth, int minHeight) noexcept : minWidth_(minWidth), minHeight_(minHeight) {}
    // Makes the window, hidden, titled `caption` and owned by `owner`, at `place`.
    void CreateSide(HWND owner, const char* caption, const Place& place);
    // The controls exist: lays them out now and at every later change of size or DPI (WM_SIZE comes during the
    // window's creation, before them).
    void ControlsMade();
    // Places the controls in the client area.
    virtual void LayOut() = 0;

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged() override;

private:
    int minWidth_, minHeight_;
    bool controlsMade_ = false;
};

// Shows `form` (or brings it to the front when it is shown) and gives `focus`, a control of it, the keyboard.
void ShowWithFocusOn(Form& form, HWND focus);

// A place saved on a monitor that is gone, or on a smaller or more scaled one, would leave the window partly or
// wholly off the screen: it moves onto the work area of the nearest monitor, its top-left corner first.
void KeepOnWorkArea(HWND window);

// Where the window stands now, as a place to keep.
SidePlace CurrentSidePlace(HWND window, UINT dpi);

// Answers WM_GETMINMAXINFO: the window is not sized below a client area of `minWidth` x `minHeight` (96-DPI).
void LimitTrackSize(HWND window, int minWidth, int minHeight, UINT dpi, LPARAM minMaxInfo);

// Text with LF line ends (LF is never the trail byte of a double-byte character) with CR LF instead.
std::string WithCrLf(const std::string& text);

}  // namespace ui
