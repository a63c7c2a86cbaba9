#include "colorwindows/PreviewMenu.h"

#include <cstdint>
#include <string>
#include <vector>

#include "colorwindows/Clipboard.h"
#include "color/ColorText.h"
#include "color/NearestPassing.h"
#include "text/ChannelText.h"
#include "ui/PopupMenu.h"

namespace velmira {

namespace {

std::string ChannelString(std::uint8_t value) {
    return HexAtLeastTwoDigits(value);
}

}  // namespace

PreviewMenu::PreviewMenu(ContrastSource& source, ColorGroup& text, ColorGroup& background)
    : source_(source), text_(text), background_(background) {}

void PreviewMenu::Popup(HWND owner, POINT screenPos) {
    const bool picture = source_.PictureInUse();
    const std::vector<Rgb> pixels = picture ? source_.PixelsUnderText() : std::vector<Rgb>();
    const std::vector<PreviewMenuItem> items =
        PreviewMenuItems(source_.TextColour(), source_.BackgroundColour(), picture ? &pixels : nullptr);
    std::vector<ui::MenuChoice> choices;
    for (const PreviewMenuItem& item : items) choices.push_back({item.text, item.enabled});
    const int chosen = ui::ChooseFromMenu(owner, screenPos, choices);
    if (chosen >= 0) Carry(items[static_cast<std::size_t>(chosen)].command);
}

void PreviewMenu::Carry(PreviewCommand command) {
    const Rgb text = source_.TextColour(), background = source_.BackgroundColour();
    const bool picture = source_.PictureInUse();
    const ContrastTarget target = command == PreviewCommand::TextAa || command == PreviewCommand::BackgroundAa
                                      ? ContrastTarget::Aa
                                      : ContrastTarget::Aaa;
    switch (command) {
    case PreviewCommand::TextAa:
    case PreviewCommand::TextAaa:
        SetNearestPassing(text_, picture ? NearestPassingOver(text, source_.PixelsUnderText(), target)
                                         : NearestPassingColour(text, background, target));
        break;
    case PreviewCommand::BackgroundAa:
    case PreviewCommand::BackgroundAaa:
        if (!picture) SetNearestPassing(background_, NearestPassingColour(background, text, target));
        break;
    case PreviewCommand::Swap:
        if (!picture) Swap();
        break;
    case PreviewCommand::CopyCss:
        CopyToClpBrd(CssText(text, background));
        if (OnCopied) OnCopied();
        break;
    }
}

void PreviewMenu::SetNearestPassing(ColorGroup& group, const PassingColour& passing) {
    if (!passing.possible) return;
    const Rgb c = passing.colour;
    group.SetChannels(ChannelString(c.red), ChannelString(c.green), ChannelString(c.blue));
}

// The channel strings change places as they are, whatever their writer put in them; the text colour takes its
// new strings quietly, so that the one refresh runs once, with both colours in place.
void PreviewMenu::Swap() {
    const std::string red = text_.Hex(ColorGroup::kRed), green = text_.Hex(ColorGroup::kGreen),
                      blue = text_.Hex(ColorGroup::kBlue);
    text_.Assign(background_.Hex(ColorGroup::kRed), background_.Hex(ColorGroup::kGreen),
                 background_.Hex(ColorGroup::kBlue));
    background_.SetChannels(red, green, blue);
}

}  // namespace velmira
