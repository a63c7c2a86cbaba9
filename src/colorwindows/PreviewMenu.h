#pragma once
// The preview's right-click menu: sets the text or the background colour to the nearest colour that meets AA
// or AAA against the other, swaps the two, or copies the pair as CSS. A colour changes through its group's
// SetChannels, the way typing it does, so the owner's one refresh brings the editors, the preview, the tooltip
// and the settings into line.
#include <windows.h>

#include <functional>

#include "colorwindows/ColorGroup.h"
#include "color/ContrastSource.h"
#include "color/NearestPassing.h"
#include "color/PreviewMenuItems.h"

namespace velmira {

class PreviewMenu {
public:
    // `source` tells the pair and the picture under the text as they stand; it and both groups must outlive
    // the menu.
    PreviewMenu(ContrastSource& source, ColorGroup& text, ColorGroup& background);
    PreviewMenu(const PreviewMenu&) = delete;
    PreviewMenu& operator=(const PreviewMenu&) = delete;

    // Shows the menu at a screen point for the window `owner` and carries out the item chosen, if any.
    void Popup(HWND owner, POINT screenPos);
    // Carries out an item as though it had been chosen; one that is greyed out does nothing.
    void Carry(PreviewCommand command);

    // Raised after the pair was copied as CSS.
    std::function<void()> OnCopied;

private:
    void SetNearestPassing(ColorGroup& group, const PassingColour& passing);
    void Swap();

    ContrastSource& source_;
    ColorGroup& text_;
    ColorGroup& background_;
};

}  // namespace velmira
