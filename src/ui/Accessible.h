#pragma once
// What a window of ours tells a screen reader beyond what the system's own accessible object for it tells: a
// name where no label can carry one (a button whose caption leaves out its colour, an edit without a label
// window), a value, a role. A screen reader asks with WM_GETOBJECT; the answer is the system's object for the
// window, wrapped so that these few properties are ours and everything else (state, place, children, the window,
// every other interface) stays the system's. oleacc is loaded the first time anyone asks, never at start.
#include <windows.h>

#include <functional>
#include <string>

namespace ui {

struct AccessibleText {
    std::string name;                    // empty: the system's
    std::function<std::string()> value;  // asked when a screen reader asks; none: the system's
    long role = 0;                       // 0: the system's
};

// The answer to WM_GETOBJECT for the window's client object, or 0 when the system's own object serves (another
// object is asked for, or the object cannot be made: a screen reader then gets the system's).
LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, const AccessibleText& text);

// Tells screen readers that a property of the window's client object changed (EVENT_OBJECT_VALUECHANGE, ...).
void NotifyAccessibleChange(HWND hwnd, DWORD event) noexcept;

}  // namespace ui
