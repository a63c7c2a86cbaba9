#pragma once
// Pointing at the screen with no mouse button down. While a grab runs, the mouse is captured by a window of
// ours and every key, click and wheel turn is offered to the grab's hooks before any window sees it: none reaches
// the control with the focus. The capture alone takes no click made over another program's window while no button
// is down, so the grab also watches the mouse below every window (a low-level mouse hook): each button press and
// release anywhere is kept from the window under the pointer and comes to the grab instead. A window over the
// whole screen could catch them too, but it would stand between the pick and the pixels it reads. A grab ends
// when its owner lets it go.
#include <windows.h>

#include <functional>

#include "ui/UniqueHandle.h"

namespace ui {

class PointerGrab {
public:
    struct Hooks {
        std::function<void(UINT virtualKey, bool repeat)> key;  // a key pressed (system keys too)
        std::function<void()> click;                           // the left button pressed and released
        std::function<void(int delta)> wheel;                  // the wheel turned
    };

    // Captures the mouse for `window` (a visible window of this thread) and takes the input until it ends. One grab
    // runs at a time: a second one replaces the first.
    PointerGrab(HWND window, Hooks hooks);
    PointerGrab(const PointerGrab&) = delete;
    PointerGrab& operator=(const PointerGrab&) = delete;
    ~PointerGrab();

    // Whether the window holds the capture: the system takes it away when another program becomes active.
    bool Holding() const noexcept;

    // A queued message before it is dispatched, whichever window it is for: true when the running grab took it.
    static bool HandleQueued(const MSG& msg);

private:
    bool Take(const MSG& msg);
    static LRESULT CALLBACK WatchMouse(int code, WPARAM message, LPARAM data);

    static inline PointerGrab* current_ = nullptr;
    UniqueHook mouseHook_;
    HWND window_;
    Hooks hooks_;
    bool pressed_ = false;  // the left button went down during the grab
};

}  // namespace ui
