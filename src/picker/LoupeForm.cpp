#include "picker/LoupeForm.h"

#include <algorithm>
#include <stdexcept>

#include "picker/LoupePicture.h"
#include "picker/SampleSquare.h"
#include "ui/Application.h"
#include "ui/CaptureExclusion.h"
#include "ui/Dpi.h"
#include "ui/HighContrast.h"

namespace {

ui::FormLayout LoupeLayout(HWND owner) {
    ui::FormLayout layout;
    layout.caption = "拡大鏡";  // what a screen reader calls it until its first readout
    layout.width = 1;  // laid out by the first update
    layout.height = 1;
    layout.border = ui::FormBorder::None;
    layout.minimizeBox = false;
    layout.topmost = true;
    layout.noActivate = true;
    layout.owner = owner;
    return layout;
}

std::uint32_t PixelOf(COLORREF colour) noexcept {
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

velmira::ScreenRect ScreenRectOf(const RECT& r) noexcept {
    return velmira::ScreenRect{r.left, r.top, r.right, r.bottom};
}

velmira::ScreenRect VirtualScreen() noexcept {
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return velmira::ScreenRect{left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                               top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// The window's shape as one-row runs; a window without a region of its own is its whole rectangle.
std::vector<velmira::RegionRun> WindowShape(HWND window) {
    std::vector<velmira::RegionRun> runs;
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    ui::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    if (!region) throw std::runtime_error("CreateRectRgn failed");
    const int kind = ::GetWindowRgn(window, region.get());
    if (kind == ERROR) {
        for (int y = 0; y < bounds.bottom - bounds.top; ++y) runs.push_back({0, y, bounds.right - bounds.left});
        return runs;
    }
    const DWORD size = ::GetRegionData(region.get(), 0, nullptr);
    std::vector<std::uint8_t> data(size);
    auto* header = reinterpret_cast<RGNDATA*>(data.data());
    if (size < sizeof(RGNDATAHEADER) || ::GetRegionData(region.get(), size, header) != size)
        throw std::runtime_error("cannot read the sight's shape");
    const auto* rects = reinterpret_cast<const RECT*>(header->Buffer);
    for (DWORD i = 0; i < header->rdh.nCount; ++i)
        for (int y = rects[i].top; y < rects[i].bottom; ++y) runs.push_back({rects[i].left, y, rects[i].right});
    return runs;
}

}  // namespace

TLoupeForm::TLoupeForm(HWND owner, HWND sight, Readout readout, int zoom, int sample)
    : readout_(std::move(readout)), sight_(sight), zoom_(velmira::LoupeZoomAfter(zoom, 0)),
      sample_(velmira::SampleSizeOf(sample)) {
    Create(LoupeLayout(owner));
    if (sight_) {
        sightRuns_ = WindowShape(sight_);
        sightExcluded_ = ui::ExcludeFromScreenCapture(sight_);
    }
    selfExcluded_ = ui::ExcludeFromScreenCapture(Handle());
}

void TLoupeForm::Update(POINT pickPoint, POINT sightCentre, POINT pointer, UINT dpi) {
    if (broken_) return;
    updated_ = true;
    lastSightCentre_ = sightCentre;
    lastPointer_ = pointer;
    try {
        Arrange(dpi ? dpi : ui::kLayoutDpi);
    } catch (...) {
        // Reported once: the ticks go on, and each would report it again while the first report is shown.
        broken_ = true;
        Hide();
        throw;
    }
    const velmira::ScreenPoint pick{pickPoint.x, pickPoint.y};
    // Captured while the loupe stands where the last tick put it; it moves only afterwards.
    const velmira::LoupeCells cells =
        Capture(pick) ? CellsAround(pick) : velmira::LoupeCellsOn(pick, CaptureSide(), velmira::ScreenRect{});
    const std::string text = ReadoutFor(cells);
    Paint(cells, text);
    Place(velmira::ScreenPoint{sightCentre.x, sightCentre.y}, pointer);
    Present();
    Announce(text);
}

// The readout is also the window's text, which is the name a screen reader reads; each change is told for the
// window's client object (not every system tells of a new window text by itself). A tick without a readout
// keeps the last one, so that a reader does not hear a blank between.
void TLoupeForm::Announce(const std::string& text) {
    if (text.empty() || text == announced_) return;
    announced_ = text;
    std::string name = text;  // "\n" is never the trail byte of a double-byte character
    for (std::size_t at; (at = name.find('\n')) != std::string::npos;) name.replace(at, 1, "、");
    SetText(name);
    ui::NotifyAccessibleChange(Handle(), EVENT_OBJECT_NAMECHANGE);
}

void TLoupeForm::SetZoom(int zoom) {
    zoom = velmira::LoupeZoomAfter(zoom, 0);
    if (zoom == zoom_) return;
    zoom_ = zoom;
    Redraw();
}

// The sight leaves the square uncovered: its shape changed with it.
void TLoupeForm::SetSample(int side) {
    side = velmira::SampleSizeOf(side);
    if (side == sample_) return;
    sample_ = side;
    if (sight_) sightRuns_ = WindowShape(sight_);
    Redraw();
}

// Around where the sight stands, which the loupe stands clear of.
void TLoupeForm::Redraw() {
    if (updated_) Update(lastSightCentre_, lastSightCentre_, lastPointer_, dpi_);
}

// A square larger than the shown area (at the closest zoom) is captured whole; the cells show its middle.
int TLoupeForm::CaptureSide() const noexcept {
    return std::max(geometry_.pixels, sample_);
}

void TLoupeForm::Wheel(int delta) {
    wheelRest_ += delta;
    const int steps = wheelRest_ / WHEEL_DELTA;
    wheelRest_ -= steps * WHEEL_DELTA;
    if (steps) SetZoom(velmira::LoupeZoomAfter(zoom_, steps));
}

// The geometry, both canvases and the font follow the zoom and the DPI; nothing is made again on a plain tick.
void TLoupeForm::Arrange(UINT dpi) {
    const int lines = sample_ > 1 ? 3 : 1;
    if (dpi == dpi_ && geometry_.zoom == zoom_ && geometry_.lines == lines && capture_ &&
        capture_->Width() == CaptureSide() && picture_)
        return;
    const velmira::LoupeGeometry geometry = velmira::LoupeGeometryFor(zoom_, dpi, lines);
    const int side = std::max(geometry.pixels, sample_);
    if (!capture_ || capture_->Width() != side) capture_ = std::make_unique<ui::Canvas>(side, side);
    if (!picture_ || picture_->Width() != geometry.width || picture_->Height() != geometry.height)
        picture_ = std::make_unique<ui::Canvas>(geometry.width, geometry.height);
    // Its own font rather than the application's kept one, so that nothing of the loupe outlives the pick.
    if (!font_ || dpi != dpi_) font_ = ui::MakeFont({ui::kFixedFace, velmira::kLoupeFontHeight, false, true}, dpi);
    geometry_ = geometry;
    dpi_ = dpi;
}

// One copy of the screen area, however many cells: reading pixel by pixel would cost a round trip each.
// False when the screen could not be read: then no cell shows a pixel.
bool TLoupeForm::Capture(velmira::ScreenPoint pick) {
    const int side = CaptureSide();
    const velmira::ScreenRect area = velmira::LoupeArea(pick, side);
    bool copied = false;
    {
        ui::ScopedGetDC screen(nullptr);
        copied = screen && ::BitBlt(capture_->DC(), 0, 0, side, side, screen.get(), area.left, area.top, SRCCOPY);
    }
    ::GdiFlush();
    return copied;
}

velmira::LoupeCells TLoupeForm::CellsAround(velmira::ScreenPoint pick) {
    if (!displays_.known) {
        displays_.screen = VirtualScreen();
        displays_.known = true;
    }
    velmira::LoupeCells cells = velmira::LoupeCellsOn(pick, CaptureSide(), displays_.screen);
    RECT r{};
    if (HatchesSight() && ::IsWindowVisible(sight_) && ::GetWindowRect(sight_, &r))
        velmira::HideUnderRuns(cells, pick, sightRuns_, velmira::ScreenPoint{r.left, r.top});
    if (!selfExcluded_ && ::IsWindowVisible(Handle()) && ::GetWindowRect(Handle(), &r))
        velmira::HideUnderRect(cells, pick, ScreenRectOf(r));
    return cells;
}

// Off the screen the pick reads white, as the drop would. A pixel hidden under the loupe itself (only where the
// work area is too small to hold the loupe clear of the sight) has no true colour and is left out; a pick pixel
// hidden so gets no text.
std::string TLoupeForm::ReadoutFor(const velmira::LoupeCells& cells) const {
    if (!readout_) return std::string();
    const std::vector<std::uint32_t> square = velmira::SquareOfCapture(cells, capture_->Row(0), sample_);
    return square.empty() ? std::string() : readout_(sample_, square);
}

namespace {

// The band behind the readout is the system's face colour. With a high-contrast theme the frame, the grid and
// the hatch take the theme's colours too; the cells show the screen as it is.
velmira::LoupeColours SystemLoupeColours() {
    velmira::LoupeColours colours;
    colours.band = PixelOf(::GetSysColor(COLOR_BTNFACE));
    if (!ui::HighContrastOn()) return colours;
    colours.frame = PixelOf(::GetSysColor(COLOR_WINDOWFRAME));
    colours.grid = PixelOf(::GetSysColor(COLOR_WINDOWTEXT));
    colours.hatchLight = PixelOf(::GetSysColor(COLOR_WINDOW));
    colours.hatchDark = PixelOf(::GetSysColor(COLOR_WINDOWTEXT));
    colours.outside = PixelOf(::GetSysColor(COLOR_GRAYTEXT));
    return colours;
}

}  // namespace

void TLoupeForm::Paint(const velmira::LoupeCells& cells, const std::string& text) {
    const velmira::LoupeColours colours = SystemLoupeColours();
    ::GdiFlush();  // the last tick's text is drawn before the pixels are written again
    if (cells.pixels == geometry_.pixels) {
        velmira::PaintLoupe(geometry_, cells, capture_->Row(0), colours, picture_->Row(0), picture_->Width(), sample_);
    } else {
        const velmira::LoupeCells shown = velmira::MiddleCells(cells, geometry_.pixels);
        const std::vector<std::uint32_t> pixels = velmira::MiddlePixels(capture_->Row(0), cells.pixels, shown.pixels);
        velmira::PaintLoupe(geometry_, shown, pixels.data(), colours, picture_->Row(0), picture_->Width(), sample_);
    }
    DrawReadout(picture_->DC(), geometry_, font_.get(), text);
}

void TLoupeForm::DrawReadout(HDC dc, const velmira::LoupeGeometry& geometry, HFONT font, const std::string& text) {
    if (text.empty()) return;
    ui::ScopedSelectObject select(dc, font);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    // Each line centred in its share of the band.
    std::size_t start = 0;
    for (int line = 0; line < geometry.lines && start <= text.size(); ++line) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        RECT band{geometry.border, geometry.textTop + geometry.textHeight * line / geometry.lines,
                  geometry.width - geometry.border, geometry.textTop + geometry.textHeight * (line + 1) / geometry.lines};
        ::DrawTextA(dc, text.c_str() + start, static_cast<int>(end - start), &band,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        start = end + 1;
    }
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
}

// The work area of the monitor under the pointer, asked again only when the pointer leaves that monitor.
velmira::ScreenRect TLoupeForm::WorkAreaAt(POINT pointer) {
    if (!displays_.monitor.Contains({pointer.x, pointer.y})) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (::GetMonitorInfoA(::MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor)) {
            displays_.monitor = ScreenRectOf(monitor.rcMonitor);
            displays_.work = ScreenRectOf(monitor.rcWork);
        } else {
            displays_.monitor = velmira::ScreenRect{};
            displays_.work =
                velmira::ScreenRect{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        }
    }
    return displays_.work;
}

void TLoupeForm::Place(velmira::ScreenPoint sightCentre, POINT pointer) {
    // Clear of the sight and of the area the next tick shows, whichever reaches further from the sight's centre.
    int reach = geometry_.pixels / 2;
    RECT sight{};
    if (sight_ && ::GetWindowRect(sight_, &sight)) {
        const int sightWidth = sight.right - sight.left, sightHeight = sight.bottom - sight.top;
        reach = std::max({reach, sightWidth / 2, sightHeight / 2});
    }
    const velmira::ScreenPoint origin =
        velmira::LoupeOrigin(sightCentre, reach, geometry_.width, geometry_.height, WorkAreaAt(pointer), dpi_);
    const bool shown = ::IsWindowVisible(Handle()) != FALSE;
    RECT now{};
    ::GetWindowRect(Handle(), &now);
    if (shown && ScreenRectOf(now) == velmira::ScreenRect{origin.x, origin.y, origin.x + geometry_.width,
                                                           origin.y + geometry_.height})
        return;  // moving a window costs as much as the rest of the tick, even to where it stands
    // Brought over the other topmost windows once, when it shows; a tick only moves it.
    ::SetWindowPos(Handle(), HWND_TOPMOST, origin.x, origin.y, geometry_.width, geometry_.height,
                   SWP_NOACTIVATE | (shown ? SWP_NOZORDER : SWP_SHOWWINDOW));
}

void TLoupeForm::Present() {
    ui::ScopedGetDC window(Handle());
    if (window && picture_)
        ::BitBlt(window.get(), 0, 0, geometry_.width, geometry_.height, picture_->DC(), 0, 0, SRCCOPY);
}

void TLoupeForm::PaintBackground(HDC dc, const RECT& client) {
    if (!picture_) return ui::Form::PaintBackground(dc, client);
    ::BitBlt(dc, 0, 0, geometry_.width, geometry_.height, picture_->DC(), 0, 0, SRCCOPY);
}

LRESULT TLoupeForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case ui::kWmDpiChanged:
        return 0;  // every update lays the loupe out for the DPI under the pointer
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:  // the work area may have changed (a task bar moved)
        displays_ = Displays{};
        return ui::Form::HandleMessage(msg, wParam, lParam);
    default:
        return ui::Form::HandleMessage(msg, wParam, lParam);
    }
}
