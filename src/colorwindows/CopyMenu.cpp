#include "colorwindows/CopyMenu.h"

#include <vector>

#include "color/CopyFormats.h"
#include "ui/PopupMenu.h"

namespace velmira {

std::optional<std::string> ChooseCopyText(HWND owner, POINT screenPos, Rgb colour) {
    const std::vector<CopyFormat> formats = CopyFormatsOf(colour);
    std::vector<ui::MenuChoice> choices;
    for (std::size_t i = 0; i < formats.size(); ++i)
        choices.push_back({"&" + std::to_string(i + 1) + "  " + formats[i].text + "\t" + formats[i].use, true});
    const int chosen = ui::ChooseFromMenu(owner, screenPos, choices);
    if (chosen < 0) return std::nullopt;
    return formats[static_cast<std::size_t>(chosen)].text;
}

}  // namespace velmira
