#pragma once
// A label drawn by its container; transparent, so whatever lies beneath it shows through. A label that sizes
// itself does so from its text in the font made for its container's DPI.
#include <windows.h>

#include <string>
#include <string_view>

#include "ui/FontSpec.h"
#include "ui/GraphicControl.h"

namespace ui {

class Label : public GraphicControl {
public:
    void Create(Container& parent, int left, int top, int width, int height, std::string_view caption,
                const FontSpec& font, bool autoSize = true);
    void SetCaption(std::string_view caption);
    const std::string& Caption() const noexcept { return caption_; }
    void SetFontColor(COLORREF color);
    COLORREF FontColor() const noexcept { return systemColour_ ? ::GetSysColor(COLOR_WINDOWTEXT) : color_; }
    HFONT Font() const noexcept { return font_; }
    // A label in a colour of its own is drawn in the system's text colour while a high-contrast theme is on;
    // one that shows a colour being edited (the sample text) keeps it.
    void KeepColourInHighContrast() noexcept { keepColour_ = true; }

protected:
    void Paint(HDC dc) override;
    void ApplyDpi(UINT dpi) override;

private:
    void AdjustSize();

    std::string caption_;
    FontSpec spec_;
    HFONT font_ = nullptr;
    COLORREF color_ = ::GetSysColor(COLOR_WINDOWTEXT);
    bool systemColour_ = true;  // the system's text colour as it is now, until a colour is set
    bool autoSize_ = true;
    bool keepColour_ = false;
};

}  // namespace ui
