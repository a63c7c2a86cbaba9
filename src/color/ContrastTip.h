#pragma once
// The preview's tooltip: how well the sample text stands out against the background colour or picture.
//
// The text is made only when the tooltip asks for it (TTN_GETDISPINFO), so a colour change costs nothing
// while the tooltip is hidden; while it is shown, ColoursChanged makes it ask again.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "color/Contrast.h"
#include "ui/Controls.h"
#include "ui/Window.h"

// What the tip reports on, asked each time it makes its text: the preview's two colours, and while a picture is
// in use the picture's pixels under the sample text.
class ContrastSource {
public:
    virtual velmira::Rgb TextColour() = 0;
    virtual velmira::Rgb BackgroundColour() = 0;
    virtual bool PictureInUse() = 0;
    virtual std::vector<velmira::Rgb> PixelsUnderText() = 0;

protected:
    ~ContrastSource() = default;
};

class ContrastTip : public ui::Window {
public:
    // A tooltip owned by `owner` over the window `tool` (and whatever its container draws on it), asking
    // `source`, which must outlive it, each time the tooltip wants its text.
    ContrastTip(HWND owner, HWND tool, ContrastSource& source);

    // The colours or the picture changed: a shown tooltip takes the new text, a hidden one does nothing.
    void ColoursChanged();

    bool Shown() const;
    HWND Tool() const noexcept { return tool_; }
    // The text last handed to the tooltip, and how often it was made; how often colours changed.
    const std::string& LastText() const noexcept { return text_; }
    std::size_t TextComputations() const noexcept { return computations_; }
    std::size_t ColourChanges() const noexcept { return colourChanges_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void AddTool();
    void FillDisplayInfo(NMHDR* header);
    // The text (code page 932, lines separated by "\n") for the source as it stands now.
    std::string MakeText();

    HWND tool_;
    ContrastSource& source_;
    std::string text_;
    std::wstring wideText_;
    std::size_t computations_ = 0;
    std::size_t colourChanges_ = 0;
};

// The pixels of the image's picture inside the label's rectangle (both in their container's coordinates; the
// picture starts at the image's top-left corner).
std::vector<velmira::Rgb> PicturePixelsUnder(ui::Image& image, const ui::Label& label);
