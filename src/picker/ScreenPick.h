#pragma once
// Picking a colour from a screen pixel. A pick starts when the drag of a pick icon starts: the scope window, which
// the pick owns while it runs, follows the pointer; when the drag ends the pixel under the sight's centre is
// read. Whoever needs to follow a pick (a magnifier, say) listens to its hooks.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "picker/ScopeForm.h"
#include "ui/Window.h"

class ScreenPick {
public:
    struct PickHooks {
        std::function<void()> started;
        std::function<void(POINT centre)> moved;    // after every move of the sight, with its centre
        std::function<void(POINT centre)> ended;    // the point that is read, before it is read
        std::function<void()> cancelled;            // given up without reading
    };

    // The scope window is owned by `owner`'s window.
    explicit ScreenPick(const ui::Window& owner);
    ScreenPick(const ScreenPick&) = delete;
    ScreenPick& operator=(const ScreenPick&) = delete;
    // A drag that still runs is given up without reading (the controls it would report to are going away) and
    // the scope window is destroyed, so that it never outlives its owner.
    ~ScreenPick();

    // Opens the sight at the pointer. A second start while a pick runs leaves the sight where it is.
    void Start();
    // The sight's centre, where the pick ends: the point the sight stood at on its last tick, not where the
    // button came up, taken before the window goes. Without a sight the top-left pixel of the screen.
    POINT End();
    // Gives the pick up without reading a pixel.
    void Cancel();

    // The pixel at the point as three channel strings of two upper-case digits (a point outside every monitor
    // reads as white), and the mouse capture released.
    void GetColor(std::string& red, std::string& green, std::string& blue, int x, int y);

    // The scope window of the pick in progress, or null.
    TScopeForm* Scope() const noexcept { return scope_.get(); }

    PickHooks Hooks;

private:
    const ui::Window& owner_;
    std::unique_ptr<TScopeForm> scope_;
};
