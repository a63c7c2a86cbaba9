#pragma once
// The preview's tooltip: how well the sample text stands out against the background colour or picture.
//
// The text is made only when the tooltip asks for it (TTN_GETDISPINFO), so a colour change costs nothing
// while the tooltip is hidden; while it is shown, ColoursChanged makes it ask again.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

#include "ui/Window.h"

class TMainForm;

class ContrastTip : public ui::Window {
public:
    using TextSource = std::function<std::string()>;

    // A tooltip owned by `owner` over the window `tool` (and whatever its container draws on it); `source`
    // makes the text (code page 932, lines separated by "\n") each time the tooltip asks.
    ContrastTip(HWND owner, HWND tool, TextSource source);

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

    HWND tool_;
    TextSource source_;
    std::string text_;
    std::wstring wideText_;
    std::size_t computations_ = 0;
    std::size_t colourChanges_ = 0;
};

// The main window's preview: the text colour against the background colour, or against the picture's pixels
// under the sample text while a picture is in use.
std::string PreviewContrastText(TMainForm& form);
