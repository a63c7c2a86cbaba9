#include "picker/ScopeForm.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "picker/ScopePlacement.h"
#include "picker/ScopeRegion.h"
#include "ui/Dpi.h"

namespace {

constexpr UINT kTimerInterval = 30;

ui::FormLayout ScopeLayout(HWND owner) {
    ui::FormLayout layout;
    layout.caption = "ScopeForm";
    layout.left = 403;
    layout.top = 121;
    layout.width = 205;  // replaced by the picture's size
    layout.height = 183;
    layout.border = ui::FormBorder::None;
    layout.minimizeBox = false;
    layout.topmost = true;
    layout.owner = owner;
    return layout;
}

}  // namespace

TScopeForm::TScopeForm(HWND owner) {
    Create(ScopeLayout(owner));
    Timer.Start(Handle(), kTimerInterval, [this] { TimerTimer(); });
    POINT pointer{};
    ::GetCursorPos(&pointer);
    SetFactor(velmira::ScopeFactor(ui::DpiAtPoint(pointer)));
    MoveToCursor();
}

void TScopeForm::SetFactor(int factor) {
    ScopeBitmap = SightPicture(factor);
    BITMAP info{};
    if (!::GetObjectA(ScopeBitmap.get(), sizeof info, &info)) throw std::runtime_error("cannot read the SCOPE bitmap");
    baseSize_ = SIZE{info.bmWidth / factor, info.bmHeight / factor};
    factor_ = factor;
    ApplyShape();
}

void TScopeForm::SetClearSquare(int side) {
    if (side == clearSquare_) return;
    clearSquare_ = side;
    ApplyShape();
}

void TScopeForm::ApplyShape() {
    ui::UniqueRegion region = MakeRegion(ScopeBitmap.get());
    if (clearSquare_ > 1) {
        const velmira::ScreenPoint centre = velmira::ScopeCenter({0, 0}, baseSize_.cx * factor_, baseSize_.cy * factor_);
        const int left = centre.x - clearSquare_ / 2, top = centre.y - clearSquare_ / 2;
        const ui::UniqueRegion square(::CreateRectRgn(left, top, left + clearSquare_, top + clearSquare_));
        if (!square || ::CombineRgn(region.get(), region.get(), square.get(), RGN_DIFF) == ERROR)
            throw std::runtime_error("cannot clear the sampled square of the sight");
    }
    if (!::SetWindowRgn(Handle(), region.get(), TRUE)) throw std::runtime_error("SetWindowRgn failed");
    region.release();  // the window owns its region
}

ui::UniqueBitmap TScopeForm::SightPicture(int factor) {
    ui::UniqueBitmap picture(static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), "SCOPE", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (!picture) throw std::runtime_error("cannot load the SCOPE bitmap");
    if (factor <= 1) return picture;

    BITMAP info{};
    if (!::GetObjectA(picture.get(), sizeof info, &info)) throw std::runtime_error("cannot read the SCOPE bitmap");
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight;  // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(info.bmWidth) * static_cast<std::size_t>(info.bmHeight));
    {
        ui::ScopedGetDC screen(nullptr);
        if (::GetDIBits(screen.get(), picture.get(), 0, static_cast<UINT>(info.bmHeight), pixels.data(), &format,
                        DIB_RGB_COLORS) != info.bmHeight)
            throw std::runtime_error("cannot read the SCOPE bitmap");
    }
    const std::vector<std::uint32_t> large = velmira::EnlargedPixels(pixels, info.bmWidth, info.bmHeight, factor);
    format.bmiHeader.biWidth = info.bmWidth * factor;
    format.bmiHeader.biHeight = -info.bmHeight * factor;
    void* bits = nullptr;
    ui::UniqueBitmap enlarged(::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!enlarged || !bits) throw std::runtime_error("cannot enlarge the SCOPE bitmap");
    std::copy(large.begin(), large.end(), static_cast<std::uint32_t*>(bits));
    return enlarged;
}

// The picture goes first, then the timer and the window with the form.
TScopeForm::~TScopeForm() {
    ScopeBitmap.reset();
}

void TScopeForm::ShowInactive() {
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(Handle());
}

void TScopeForm::FormPaint(HDC dc) {
    if (!ScopeBitmap) return;
    ui::UniqueMemoryDC source(::CreateCompatibleDC(dc));
    if (!source) return;
    ui::ScopedSelectObject select(source.get(), ScopeBitmap.get());
    ::BitBlt(dc, 0, 0, baseSize_.cx * factor_, baseSize_.cy * factor_, source.get(), 0, 0, SRCCOPY);
}

void TScopeForm::PaintBackground(HDC dc, const RECT& client) {
    ui::Form::PaintBackground(dc, client);
    FormPaint(dc);
}

// The pointer is read once, so that whoever follows the tick knows exactly where the sight goes.
void TScopeForm::TimerTimer() {
    POINT pointer{};
    if (!::GetCursorPos(&pointer)) return;  // no pointer to follow (another desktop is active)
    const Placement next = PlacementAt(pointer);
    if (OnTick) OnTick(Tick{pointer, GetCenter(), CenterOf(next)});
    MoveTo(next);
}

void TScopeForm::MoveToCursor() {
    POINT pointer{};
    if (::GetCursorPos(&pointer)) MoveTo(PlacementAt(pointer));
}

// The pointer may have crossed onto a monitor of another scale.
TScopeForm::Placement TScopeForm::PlacementAt(POINT pointer) const {
    const int factor = velmira::ScopeFactor(DpiAt ? DpiAt(pointer) : ui::DpiAtPoint(pointer));
    const SIZE size{baseSize_.cx * factor, baseSize_.cy * factor};
    const velmira::ScreenPoint origin = velmira::ScopeWindowOrigin({pointer.x, pointer.y}, size.cx, size.cy, factor);
    return Placement{factor, POINT{origin.x, origin.y}, size};
}

POINT TScopeForm::CenterOf(const Placement& placement) {
    const velmira::ScreenPoint centre =
        velmira::ScopeCenter({placement.origin.x, placement.origin.y}, placement.size.cx, placement.size.cy);
    return POINT{centre.x, centre.y};
}

void TScopeForm::MoveTo(const Placement& placement) {
    if (placement.factor != factor_) SetFactor(placement.factor);
    const POINT origin = placement.origin;
    const SIZE size = placement.size;
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    const bool sameSize = r.right - r.left == size.cx && r.bottom - r.top == size.cy;
    if (sameSize && origin.x == r.left && origin.y == r.top) return;  // a move costs as much as the rest of a tick
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (sameSize) flags |= SWP_NOSIZE;  // only a change of scale resizes the sight
    ::SetWindowPos(Handle(), nullptr, origin.x, origin.y, size.cx, size.cy, flags);
}

POINT TScopeForm::GetCenter() const {
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    const velmira::ScreenPoint centre =
        velmira::ScopeCenter({r.left, r.top}, r.right - r.left, r.bottom - r.top);
    return POINT{centre.x, centre.y};
}

// The window's shape: one rectangle for each run of pixels that differ from the top-left pixel.
ui::UniqueRegion TScopeForm::MakeRegion(HBITMAP bitmap) {
    BITMAP info{};
    if (!::GetObjectA(bitmap, sizeof info, &info)) throw std::runtime_error("cannot read the SCOPE bitmap");
    const int width = info.bmWidth;
    const int height = info.bmHeight;

    // A 24-bit top-down working copy: three bytes a pixel, rows padded to four bytes.
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(height));
    {
        ui::ScopedGetDC screen(nullptr);
        if (::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), rows.data(), &format, DIB_RGB_COLORS) !=
            height)
            throw std::runtime_error("cannot read the SCOPE bitmap");
    }

    ui::UniqueRegion result(::CreateRectRgn(0, 0, 0, 0));
    if (!result) throw std::runtime_error("CreateRectRgn failed");
    for (const velmira::RegionRun& run : velmira::OpaqueRuns24(width, height, rows.data(), stride)) {
        ui::UniqueRegion rect(::CreateRectRgn(run.left, run.top, run.right, run.top + 1));
        if (!rect) throw std::runtime_error("CreateRectRgn failed");
        ::CombineRgn(result.get(), result.get(), rect.get(), RGN_OR);
    }
    return result;
}

// Grabbing the sight moves it as if by its caption; the press goes no further.
void TScopeForm::WMLButtonDown() {
    ::SendMessageA(Handle(), WM_SYSCOMMAND, 0xF012, 0);  // SC_MOVE + HTCAPTION
}

LRESULT TScopeForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONDOWN) {
        WMLButtonDown();
        return 0;
    }
    // The sight sizes itself for the monitor under the pointer on every move, not for the one it stands on.
    if (msg == ui::kWmDpiChanged) return 0;
    return ui::Form::HandleMessage(msg, wParam, lParam);
}
