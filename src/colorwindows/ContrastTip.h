#pragma once
// The preview's tooltip: how well the sample text stands out against the background colour or picture, by the
// WCAG ratio, by APCA, and as seen with each colour-vision deficiency, with a sample of the text as each of
// them sees it.
//
// The system's tooltip control decides when the tip shows (only while the pointer rests on the preview) and
// where; the tip draws itself and sets its own size, so that the samples can be drawn in their colours. Its
// content is made only when the tooltip asks for its text (TTN_GETDISPINFO), so a colour change costs nothing
// while the tip is hidden; while it is shown, ColoursChanged makes it again.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "color/ContrastSource.h"
#include "color/ContrastTipContent.h"
#include "colorwindows/ContrastTipDrawing.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Window.h"

namespace velmira {

class ContrastTip : public ui::Window {
public:
    // A tooltip owned by `owner` over the window `tool` (and whatever its container draws on it), asking
    // `source`, which must outlive it, each time the tooltip wants its text.
    ContrastTip(HWND owner, HWND tool, ContrastSource& source);

    // The colours or the picture changed: a shown tooltip takes the new content, a hidden one does nothing.
    void ColoursChanged();

    bool Shown() const;
    HWND Tool() const noexcept { return tool_; }
    // The text last handed to the tooltip (lines separated by "\n"), and how often content was made; how often
    // colours changed.
    const std::string& LastText() const noexcept { return content_.text; }
    const ContrastTipContent& LastContent() const noexcept { return content_; }
    std::size_t TextComputations() const noexcept { return computations_; }
    std::size_t ColourChanges() const noexcept { return colourChanges_; }
    // Where the colour-vision samples are drawn, in client coordinates.
    std::vector<RECT> SampleRects() const { return drawing_.SampleRects(); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void AddTool();
    void FillDisplayInfo(NMHDR* header);
    // Makes the content for the source as it stands, and lays it out.
    void MakeContent();
    void Paint(HDC dc);
    // The tooltip places and sizes itself for its own text: the size becomes the drawing's, and the place one
    // that keeps the whole tip on the monitor's work area without covering the pointer.
    void FitPosition(WINDOWPOS& position);
    SIZE WindowSize() const;

    HWND tool_;
    ContrastSource& source_;
    ContrastTipContent content_;
    ContrastTipDrawing drawing_;
    std::wstring wideText_;
    std::size_t computations_ = 0;
    std::size_t colourChanges_ = 0;
};

// The pixels of the image's picture inside the label's rectangle (both in their container's coordinates; the
// picture starts at the image's top-left corner).
std::vector<Rgb> PicturePixelsUnder(ui::Image& image, const ui::Label& label);

}  // namespace velmira
