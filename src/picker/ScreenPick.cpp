#include "picker/ScreenPick.h"

#include "text/ChannelText.h"
#include "ui/DragController.h"
#include "ui/UniqueHandle.h"

ScreenPick::ScreenPick(const ui::Window& owner) : owner_(owner) {}

ScreenPick::~ScreenPick() {
    ui::DragController::Get().Abandon();
    scope_.reset();
}

void ScreenPick::Start() {
    if (scope_) return;
    scope_ = std::make_unique<TScopeForm>(owner_.Handle());
    scope_->OnMoved = [this](POINT centre) {
        if (Hooks.moved) Hooks.moved(centre);
    };
    // Not activated: the owner keeps the keyboard, so that Esc still reaches the drag.
    scope_->ShowInactive();
    if (Hooks.started) Hooks.started();
}

POINT ScreenPick::End() {
    POINT point{0, 0};
    if (scope_) {
        point = scope_->GetCenter();
        scope_->Close();
        scope_.reset();
    }
    if (Hooks.ended) Hooks.ended(point);
    return point;
}

void ScreenPick::Cancel() {
    if (!scope_) return;
    scope_.reset();
    if (Hooks.cancelled) Hooks.cancelled();
}

// A point outside every monitor reads as CLR_INVALID, all bits set: the colour becomes white.
void ScreenPick::GetColor(std::string& red, std::string& green, std::string& blue, int x, int y) {
    COLORREF value = CLR_INVALID;
    {
        ui::ScopedGetDC screen(nullptr);
        value = ::GetPixel(screen.get(), x, y);
    }
    red = velmira::HexAtLeastTwoDigits(value & 0xFF);
    green = velmira::HexAtLeastTwoDigits((value >> 8) & 0xFF);
    blue = velmira::HexAtLeastTwoDigits((value >> 16) & 0xFF);
    ::ReleaseCapture();
}
