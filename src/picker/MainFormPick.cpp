// Picking either colour from a screen pixel: a drag of the colour's pick icon opens the scope window, which
// follows the pointer; the end of the drag reads the pixel under the sight's centre into the colour.
#include <memory>

#include "app/MainForm.h"
#include "color/ColorText.h"
#include "picker/MainFormPick.h"
#include "picker/ScopeForm.h"
#include "ui/DragController.h"
#include "ui/UniqueHandle.h"

namespace {

// Holds the scope window that ScopeForm points at; the main window's destructor empties it (AbandonPick).
std::unique_ptr<TScopeForm>& ScopeOwner() {
    static std::unique_ptr<TScopeForm> owner;
    return owner;
}

void DestroyScopeForm() noexcept {
    ScopeForm = nullptr;
    ScopeOwner().reset();
}

}  // namespace

void AbandonPick() noexcept {
    ui::DragController::Get().Abandon();
    DestroyScopeForm();
}

// Shared by both icons. A second start while a pick runs leaves the sight where it is.
void TMainForm::ImageScopeStartDrag() {
    if (ScopeForm) return;
    ScopeOwner() = std::make_unique<TScopeForm>(Handle());
    ScopeForm = ScopeOwner().get();
    // Not activated: the main window keeps the keyboard, so that Esc still reaches the drag.
    ScopeForm->ShowInactive();
}

void TMainForm::ImageScopeFontEndDrag() {
    const POINT point = ImageScopeEndDrag();
    GetColor(HexFR, HexFG, HexFB, point.x, point.y);
    UpdateColor();
}

void TMainForm::ImageScopeBackGEndDrag() {
    const POINT point = ImageScopeEndDrag();
    GetColor(HexBR, HexBG, HexBB, point.x, point.y);
    UpdateColor();
}

// The point is where the sight stood on its last tick, not where the button came up; it is taken before the
// window goes. Without a sight the top-left pixel of the screen is read.
POINT TMainForm::ImageScopeEndDrag() {
    POINT point{0, 0};
    if (ScopeForm) {
        point = ScopeForm->GetCenter();
        ScopeForm->Close();
        DestroyScopeForm();
    }
    return point;
}

// A point outside every monitor reads as CLR_INVALID, all bits set: the colour becomes white.
void TMainForm::GetColor(std::string& red, std::string& green, std::string& blue, int x, int y) {
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
