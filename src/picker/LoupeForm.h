#pragma once
// The loupe: while a colour is picked from the screen, a small borderless topmost window beside the sight shows
// the screen pixels around the pick point magnified on a grid, with the pick pixel outlined, and under them a
// line of text about the pick pixel (its hexadecimal form and its contrast with the other colour of the pair).
// A pick that samples a square outlines the square too, and the text under the cells has a line per figure.
//
// Our own windows are not screen pixels. Where the system can leave the sight and the loupe out of screen
// captures it is asked to; where it cannot, the cells that they cover are hatched. The sight never covers the
// pick pixel, so the text is always about the pixel that the pick takes.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "picker/LoupeLayout.h"
#include "picker/ScopeRegion.h"
#include "ui/Canvas.h"
#include "ui/Form.h"
#include "ui/UniqueHandle.h"

class TLoupeForm : public ui::Form {
public:
    // The text under the cells for the square of `side` round the pick pixel: its pixels (0x00RRGGBB) in
    // reading order, those hidden under our own windows left out (none for a pick pixel hidden so). Lines are
    // separated by "\n"; the window's text joins them.
    using Readout = std::function<std::string(int side, const std::vector<std::uint32_t>& square)>;

    // Built hidden and owned by `owner`. `sight` is the scope window of the pick (null for none): its shape is
    // read once, here, and the cells under it are hatched where it cannot be left out of the capture.
    TLoupeForm(HWND owner, HWND sight, Readout readout, int zoom = velmira::kDefaultLoupeZoom, int sample = 1);

    // One tick: captures the screen around `pickPoint` once, draws the cells and the text, and places the loupe
    // beside `sightCentre` on the work area of the monitor under `pointer`, laid out for `dpi`; the first call
    // shows it (without activating it). The pick point should be the sight's centre as the sight stands on the
    // screen, so that what its last move uncovered has been repainted by the time of the capture; `sightCentre`
    // is where the sight moves to in the same tick, so that the loupe never stands over the pixel that a drop
    // reads, however far the pointer jumped. When the loupe's bitmaps or font cannot be made the error is
    // thrown once; the loupe then hides and stays hidden.
    void Update(POINT pickPoint, POINT sightCentre, POINT pointer, UINT dpi);

    // A WM_MOUSEWHEEL's delta: one zoom step for every whole notch, away from the user zooming in. A step
    // redraws at once from a fresh capture around where the sight stands, once the loupe has been updated.
    void Wheel(int delta);
    int Zoom() const noexcept { return zoom_; }
    // The side of the sampled square (velmira::kSampleSizes); a change redraws at once, as a zoom step does.
    void SetSample(int side);
    int Sample() const noexcept { return sample_; }

    // Whether cells under the sight are hatched: the system could not leave it out of the capture.
    bool HatchesSight() const noexcept { return sight_ && !sightExcluded_; }
    const velmira::LoupeGeometry& Geometry() const noexcept { return geometry_; }
    HFONT ReadoutFont() const noexcept { return font_.get(); }

    // Draws `text` into the band of a loupe picture as the loupe does (the band's background is not touched).
    static void DrawReadout(HDC dc, const velmira::LoupeGeometry& geometry, HFONT font, const std::string& text);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PaintBackground(HDC dc, const RECT& client) override;

private:
    void SetZoom(int zoom);
    void Redraw();
    void Arrange(UINT dpi);
    int CaptureSide() const noexcept;
    bool Capture(velmira::ScreenPoint pick);
    velmira::LoupeCells CellsAround(velmira::ScreenPoint pick);
    velmira::ScreenRect WorkAreaAt(POINT pointer);
    std::string ReadoutFor(const velmira::LoupeCells& cells) const;
    void Paint(const velmira::LoupeCells& cells, const std::string& text);
    void Place(velmira::ScreenPoint sightCentre, POINT pointer);
    void Present();
    void Announce(const std::string& text);

    Readout readout_;
    HWND sight_ = nullptr;
    std::vector<velmira::RegionRun> sightRuns_;  // the sight's shape, window coordinates
    bool sightExcluded_ = false;
    bool selfExcluded_ = false;
    int zoom_ = velmira::kDefaultLoupeZoom;
    int sample_ = 1;
    int wheelRest_ = 0;

    UINT dpi_ = 0;  // what the geometry, the canvases and the font are made for; 0 before the first update
    velmira::LoupeGeometry geometry_;
    std::unique_ptr<ui::Canvas> capture_;  // the shown area (or the sampled square, if larger), a pixel per pixel
    std::unique_ptr<ui::Canvas> picture_;  // the window's picture
    ui::UniqueFont font_;

    // Asking the system about the displays costs more than drawing the loupe: what a tick needs is kept
    // until the displays change.
    struct Displays {
        bool known = false;
        velmira::ScreenRect screen;   // the virtual screen
        velmira::ScreenRect monitor;  // the monitor the pointer was last on, and its work area
        velmira::ScreenRect work;
    };
    Displays displays_;

    std::string announced_;  // the window's text
    bool updated_ = false;
    bool broken_ = false;
    POINT lastSightCentre_{};
    POINT lastPointer_{};
};
