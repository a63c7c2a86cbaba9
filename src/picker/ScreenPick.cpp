#include "picker/ScreenPick.h"

#include <utility>

#include "picker/PointerNudge.h"
#include "picker/SampleSquare.h"
#include "text/ChannelText.h"
#include "ui/DragController.h"
#include "ui/Canvas.h"
#include "ui/Dpi.h"
#include "ui/UniqueHandle.h"

namespace velmira {

ScreenPick::ScreenPick(const ui::Window& owner) : owner_(owner) {}

ScreenPick::~ScreenPick() {
    grab_.reset();
    ui::DragController::Get().Abandon();
    loupe_.reset();
    scope_.reset();
}

void ScreenPick::Start(TLoupeForm::Readout readout) {
    if (scope_) return;
    auto scope = std::make_unique<TScopeForm>(owner_.Handle());
    scope->SetClearSquare(sample_);  // before the loupe reads the sight's shape
    std::unique_ptr<TLoupeForm> loupe;
    if (loupeOn_)
        loupe = std::make_unique<TLoupeForm>(owner_.Handle(), scope->Handle(), std::move(readout), zoom_, sample_);
    // The loupe captures the screen before the sight moves: what the sight's last move uncovered has been
    // repainted by then, so that the only pixels of ours in the capture are the sight's, which it hatches. It
    // moves beside the point the sight moves to, never over it, so that a drop reads no pixel of the loupe.
    scope->OnTick = [this](const TScopeForm::Tick& tick) { UpdateLoupe(tick); };
    scope->DpiAt = [this](POINT pointer) { return DpiUnder(pointer); };
    scope_ = std::move(scope);
    loupe_ = std::move(loupe);
    monitor_ = RECT{};
    // Not activated: the owner keeps the keyboard, so that Esc and the arrow keys reach the drag.
    scope_->ShowInactive();
}

void ScreenPick::StartWithoutButton(TLoupeForm::Readout readout, KeyboardEnd ended) {
    if (scope_) return;
    Start(std::move(readout));
    if (!scope_) return;
    keyboardEnd_ = std::move(ended);
    ui::PointerGrab::Hooks hooks;
    hooks.key = [this](UINT key, bool repeat) { KeyWithoutButton(key, repeat); };
    hooks.click = [this] { EndWithoutButton(true); };
    hooks.wheel = [this](int delta) { Wheel(delta); };
    grab_ = std::make_unique<ui::PointerGrab>(scope_->Handle(), std::move(hooks));
}

void ScreenPick::KeyWithoutButton(UINT virtualKey, bool repeat) {
    switch (virtualKey) {
    case VK_RETURN:
    case VK_SPACE:
        if (!repeat) EndWithoutButton(true);  // a key held down from what started the pick takes nothing
        break;
    case VK_ESCAPE:
        EndWithoutButton(false);
        break;
    default:
        if (!StepSample(virtualKey) && !ZoomKey(virtualKey))
            NudgePointerForKey(virtualKey, ::GetKeyState(VK_SHIFT) < 0);
        break;
    }
}

void ScreenPick::SetSampleSize(int side) {
    sample_ = SampleSizeOf(side);
    if (scope_) scope_->SetClearSquare(sample_);
    if (loupe_) loupe_->SetSample(sample_);
}

// By the character the key types, so that the keys are found on every keyboard layout.
bool ScreenPick::StepSample(UINT virtualKey) {
    const UINT typed = ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_CHAR) & 0x7FFF;
    if (typed != '[' && typed != ']') return false;
    SetSampleSize(SampleSizeAfter(sample_, typed == ']' ? 1 : -1));
    return true;
}

// The pick's own state is gone before `ended` runs: it may start the next pick.
void ScreenPick::EndWithoutButton(bool take) {
    if (!grab_) return;
    grab_.reset();
    const KeyboardEnd ended = std::exchange(keyboardEnd_, nullptr);
    std::optional<POINT> point;
    if (take) {
        point = End();
    } else {
        Cancel();
    }
    if (ended) ended(point);
}

void ScreenPick::UpdateLoupe(const TScopeForm::Tick& tick) {
    // Another program that takes the mouse away (it was activated) ends a pick without a button: the clicks
    // would not come here. Not from inside the sight's tick, which the end destroys.
    if (grab_ && !grab_->Holding()) grabLost_.Schedule();
    if (loupe_) loupe_->Update(tick.centre, tick.next, tick.pointer, DpiUnder(tick.pointer));
}

UINT ScreenPick::DpiUnder(POINT pointer) {
    if (!::PtInRect(&monitor_, pointer)) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        const bool known = ::GetMonitorInfoA(::MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &info);
        monitor_ = known ? info.rcMonitor : RECT{};
        dpi_ = ui::DpiAtPoint(pointer);
    }
    return dpi_;
}

POINT ScreenPick::End() {
    POINT point{0, 0};
    loupe_.reset();
    if (scope_) {
        point = scope_->GetCenter();
        scope_->Close();
        scope_.reset();
    }
    return point;
}

void ScreenPick::Cancel() {
    if (!scope_) return;
    loupe_.reset();
    scope_.reset();
}

bool ScreenPick::KeyDown(UINT virtualKey) {
    if (scope_ && StepSample(virtualKey)) return true;
    if (!loupe_) return false;
    switch (virtualKey) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        // Taken even where the pointer cannot move, so that the key never moves a focused edit's caret.
        NudgePointerForKey(virtualKey, ::GetKeyState(VK_SHIFT) < 0);
        return true;
    default:
        return ZoomKey(virtualKey);
    }
}

// + and - of the main keyboard (with Shift or without: layouts put + on either) and the keypad, and PageUp and
// PageDown, zoom as one notch of the wheel does.
bool ScreenPick::ZoomKey(UINT virtualKey) {
    switch (virtualKey) {
    case VK_ADD:
    case VK_OEM_PLUS:
    case VK_PRIOR:
        return ZoomLoupe(WHEEL_DELTA);
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
    case VK_NEXT:
        return ZoomLoupe(-WHEEL_DELTA);
    default:
        return false;
    }
}

bool ScreenPick::Wheel(int delta) {
    if (scope_ && ::GetKeyState(VK_CONTROL) < 0) {
        sampleWheelRest_ += delta;
        const int steps = sampleWheelRest_ / WHEEL_DELTA;
        sampleWheelRest_ -= steps * WHEEL_DELTA;
        if (steps) SetSampleSize(SampleSizeAfter(sample_, steps));
        return true;
    }
    return ZoomLoupe(delta);
}

bool ScreenPick::ZoomLoupe(int delta) {
    if (!loupe_) return false;
    loupe_->Wheel(delta);
    zoom_ = loupe_->Zoom();
    return true;
}

// A point outside every monitor reads as CLR_INVALID, all bits set: the colour becomes white.
void ScreenPick::GetColor(std::string& red, std::string& green, std::string& blue, int x, int y) {
    COLORREF value = CLR_INVALID;
    {
        ui::ScopedGetDC screen(nullptr);
        value = ::GetPixel(screen.get(), x, y);
    }
    red = HexAtLeastTwoDigits(value & 0xFF);
    green = HexAtLeastTwoDigits((value >> 8) & 0xFF);
    blue = HexAtLeastTwoDigits((value >> 16) & 0xFF);
    ::ReleaseCapture();
}

std::vector<std::uint32_t> ScreenPick::ReadSquare(POINT centre, int side) {
    const ScreenPoint middle{static_cast<int>(centre.x), static_cast<int>(centre.y)};
    const ScreenRect area = LoupeArea(middle, side);
    ui::Canvas square(side, side);
    bool copied = false;
    {
        ui::ScopedGetDC screen(nullptr);
        copied = screen && ::BitBlt(square.DC(), 0, 0, side, side, screen.get(), area.left, area.top, SRCCOPY);
    }
    ::GdiFlush();
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const ScreenRect screen{left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                            top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const LoupeCells cells = LoupeCellsOn(middle, side, copied ? screen : ScreenRect{});
    ::ReleaseCapture();
    return SquareOfCapture(cells, square.Row(0), side);
}

}  // namespace velmira
