#pragma once
// Picking a colour from a screen pixel. A pick starts when the drag of a pick icon starts, or from the keyboard
// with no button down: the scope window, which the pick owns while it runs, follows the pointer; when the drag
// ends (or the key or click that takes it comes) the pixel under the sight's centre is read. With the loupe on
// (the default), the loupe beside the sight shows the pixels around the pick point on each tick of the sight, the
// arrow keys move the pointer a pixel at a time and the wheel zooms the loupe; with it off, a pick is the sight
// alone. Esc ends a drag like a release, with a pick where the sight stands, and gives a pick without a button
// up. A pick may sample a square round the sight's pixel rather than the pixel alone: "[" and "]" (and the
// wheel with Ctrl) step its side through velmira::kSampleSizes while any pick runs, and the side stays for the
// next pick.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "picker/LoupeForm.h"
#include "picker/LoupeLayout.h"
#include "picker/ScopeForm.h"
#include "ui/IdleTask.h"
#include "ui/PointerGrab.h"
#include "ui/Window.h"

namespace velmira {

class ScreenPick {
public:
    // The scope window and the loupe are owned by `owner`'s window.
    explicit ScreenPick(const ui::Window& owner);
    ScreenPick(const ScreenPick&) = delete;
    ScreenPick& operator=(const ScreenPick&) = delete;
    // A running drag is given up without reading (the controls it would report to are going away) and
    // the scope window is destroyed, so that it never outlives its owner.
    ~ScreenPick();

    // Whether the next pick brings the loupe and its keys.
    void SetLoupe(bool on) noexcept { loupeOn_ = on; }
    bool LoupeOn() const noexcept { return loupeOn_; }
    // The side of the square a pick samples; any value not among velmira::kSampleSizes is 1.
    void SetSampleSize(int side);
    int SampleSize() const noexcept { return sample_; }

    // Opens the sight at the pointer, and with the loupe on the loupe beside it, whose text under the cells
    // `readout` makes. A second start while a pick runs leaves the sight where it is.
    void Start(TLoupeForm::Readout readout = nullptr);
    // The sight's centre, where the pick ends: the point the sight stood at on its last tick, not where the
    // button came up, taken before the window goes. Without a sight the top-left pixel of the screen.
    POINT End();
    // Gives the pick up without reading a pixel.
    void Cancel();

    // A pick with no mouse button down, started from the keyboard or the window menu. The sight (and the loupe,
    // when it is on) shows at the pointer and follows it; the arrow keys move the pointer by one physical pixel,
    // ten with Shift; Enter, Space or a left click end the pick at the sight's centre as a drag's end does, and
    // Esc gives it up. Until then every key and click is the pick's. `ended` hears the point to read, or nothing
    // when the pick was given up (also when another program took the mouse away). Nothing happens while a pick
    // runs.
    using KeyboardEnd = std::function<void(std::optional<POINT> point)>;
    void StartWithoutButton(TLoupeForm::Readout readout, KeyboardEnd ended);
    bool RunsWithoutButton() const noexcept { return grab_ != nullptr; }

    // A key pressed while a pick runs: "[" and "]" step the sampled square down and up; with the loupe up an
    // arrow key moves the pointer by one physical pixel (ten with Shift), and + and - (main keyboard and keypad),
    // PageUp and PageDown zoom the loupe as the wheel does. True when the key was taken. Esc is left to the drag,
    // which ends with a pick.
    bool KeyDown(UINT virtualKey);
    bool ZoomKey(UINT virtualKey);
    // The wheel while a pick runs: with Ctrl it steps the sampled square, without it zooms the loupe; either
    // stays for the next pick. True when it was taken.
    bool Wheel(int delta);

    // The square of `side` centred on the point: its pixels, 0x00RRGGBB, row by row; a pixel off every monitor is
    // white, as a single pixel reads there. The mouse capture is released. The sight leaves the square it samples
    // uncovered, as it leaves its centre pixel, so that the screen there shows what lies beneath.
    std::vector<std::uint32_t> ReadSquare(POINT centre, int side);

    // The pixel at the point as three channel strings of two upper-case digits (a point outside every monitor
    // reads as white), and the mouse capture released.
    void GetColor(std::string& red, std::string& green, std::string& blue, int x, int y);

    // The scope window and the loupe of the pick in progress, or null.
    TScopeForm* Scope() const noexcept { return scope_.get(); }
    TLoupeForm* Loupe() const noexcept { return loupe_.get(); }

private:
    void UpdateLoupe(const TScopeForm::Tick& tick);
    UINT DpiUnder(POINT pointer);
    void KeyWithoutButton(UINT virtualKey, bool repeat);
    bool StepSample(UINT virtualKey);
    bool ZoomLoupe(int delta);
    void EndWithoutButton(bool take);

    const ui::Window& owner_;
    bool loupeOn_ = true;
    int zoom_ = kDefaultLoupeZoom;
    int sample_ = 1;
    int sampleWheelRest_ = 0;
    std::unique_ptr<TScopeForm> scope_;
    std::unique_ptr<TLoupeForm> loupe_;  // declared after the sight, whose window it reads, so that it goes first
    // The monitor the pointer was last on and its DPI: asking the system costs a good part of a tick.
    RECT monitor_{};
    UINT dpi_ = 0;
    // The keys and clicks of a pick without a button, and who hears how it ends; gone first.
    std::unique_ptr<ui::PointerGrab> grab_;
    KeyboardEnd keyboardEnd_;
    ui::IdleTask grabLost_{[this] { EndWithoutButton(false); }};
};

}  // namespace velmira
