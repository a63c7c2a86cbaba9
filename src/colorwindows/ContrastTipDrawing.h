#pragma once
// How the contrast tooltip draws what it shows: its lines in the tooltip colours, and before each colour-vision
// line a sample of the text over its background as that vision sees them (over a picture, over the pixel it
// sees with the lowest ratio). Every figure is a 96-DPI one, scaled to the DPI the tip is laid out for.
#include <windows.h>

#include <string>
#include <vector>

#include "color/ContrastTipContent.h"

namespace velmira {

// A sample of text over its background in the colours a colour vision sees them, framed so that its edge shows
// however light or dark it is, in the sample's `font`.
void PaintVisionSample(HDC dc, const RECT& sample, const VisionSample& vision, HFONT font);

class ContrastTipDrawing {
public:
    // Takes the content and measures it for `dpi`.
    void Lay(const ContrastTipContent& content, UINT dpi);
    bool Laid() const noexcept { return !lines_.empty(); }
    // The client area the content needs.
    SIZE Size() const noexcept { return size_; }
    // Where each colour-vision line's sample is drawn, in the order of the content's visions.
    std::vector<RECT> SampleRects() const;
    // Draws the content into the client area; `frame` adds a one-pixel frame, for a window without a border.
    void Paint(HDC dc, const RECT& client, bool frame) const;

private:
    struct Line {
        std::string text;
        POINT textAt{};
        int vision = -1;  // the index into visions_ of a line that carries a sample
        RECT sample{};
    };

    std::vector<Line> lines_;
    std::vector<VisionSample> visions_;
    HFONT font_ = nullptr;
    HFONT sampleFont_ = nullptr;
    SIZE size_{};
};

}  // namespace velmira
