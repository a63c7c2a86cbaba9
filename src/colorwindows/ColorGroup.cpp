#include "colorwindows/ColorGroup.h"

#include <optional>

#include "color/ColorText.h"
#include "color/CssColor.h"
#include "text/ChannelText.h"
#include "text/SystemText.h"
#include "ui/Clipboard.h"

namespace velmira {

namespace {

// What a channel edit shows in the display format; nothing when no format is selected.
void ShowChannel(ui::Edit& edit, int format, const std::string& channel, std::int32_t value) {
    if (format == ColorGroup::kHexadecimal)
        edit.SetTextIfChanged(channel);
    else if (format == ColorGroup::kDecimal)
        edit.SetTextIfChanged(DecimalText(value));
}

}  // namespace

ColorGroup::ColorGroup(Editors editors, const ui::RadioGroup& format, std::function<Rgb()> pasteUnder,
                       std::function<void()> changed)
    : editors_(editors), format_(format), pasteUnder_(std::move(pasteUnder)), changed_(std::move(changed)) {
    ConnectEditors();
}

void ColorGroup::ConnectEditors() {
    editors_.hex.OnKeyUp = [this](WORD, UINT) { HexKeyUp(); };
    for (int c = kRed; c <= kBlue; ++c) {
        const auto channel = static_cast<Channel>(c);
        editors_.channels[c]->OnKeyUp = [this, channel](WORD, UINT) { ChannelKeyUp(channel); };
        editors_.bars[c]->OnScroll = [this, channel](int, int position) { BarScroll(channel, position); };
    }
    editors_.hex.OnPaste = [this] { return PasteColour(); };
    for (ui::Edit* edit : editors_.channels) edit->OnPaste = [this] { return PasteColour(); };
}

Rgb ColorGroup::Colour() const noexcept {
    return Rgb{static_cast<std::uint8_t>(values_[kRed]), static_cast<std::uint8_t>(values_[kGreen]),
                        static_cast<std::uint8_t>(values_[kBlue])};
}

COLORREF ColorGroup::Packed() const noexcept {
    return velmira::Packed(Colour());
}

void ColorGroup::SetChannel(Channel channel, std::string text) {
    values_[channel] = ChannelValue(text);
    hex_[channel] = std::move(text);
}

void ColorGroup::Assign(std::string red, std::string green, std::string blue) {
    SetChannel(kRed, std::move(red));
    SetChannel(kGreen, std::move(green));
    SetChannel(kBlue, std::move(blue));
}

void ColorGroup::SetChannels(std::string red, std::string green, std::string blue) {
    Assign(std::move(red), std::move(green), std::move(blue));
    changed_();
}

void ColorGroup::HexKeyUp() {
    // Nothing happens until the edit holds exactly six bytes; the pairs are taken as typed.
    const std::string text = editors_.hex.Text();
    if (text.size() != 6) return;
    SetChannels(text.substr(0, 2), text.substr(2, 2), text.substr(4, 2));
}

void ColorGroup::ChannelKeyUp(Channel channel) {
    const int format = format_.ItemIndex();
    const std::string text = editors_.channels[channel]->Text();
    if (format == kHexadecimal)
        SetChannel(channel, text);
    else if (format == kDecimal)
        SetChannel(channel, ChannelStringFromDecimal(text));
    // With no format selected the channel stays as it was; the refresh runs all the same.
    changed_();
}

void ColorGroup::BarScroll(Channel channel, int position) {
    SetChannel(channel, HexAtLeastTwoDigits(static_cast<std::uint32_t>(position)));
    changed_();
}

bool ColorGroup::PasteColour() {
    const std::optional<std::string> text = ui::ClipboardText();
    if (!text) return false;
    const std::optional<RgbaColour> colour = PastedCssColour(*text);
    if (!colour) return false;
    const Rgb shown = Over(*colour, pasteUnder_());
    SetChannels(HexAtLeastTwoDigits(shown.red), HexAtLeastTwoDigits(shown.green),
                HexAtLeastTwoDigits(shown.blue));
    return true;
}

void ColorGroup::Show(int format, bool channels) {
    if (channels) {
        for (int c = kRed; c <= kBlue; ++c) editors_.bars[c]->SetPosition(values_[c]);
        for (int c = kRed; c <= kBlue; ++c) ShowChannel(*editors_.channels[c], format, hex_[c], values_[c]);
    }
    editors_.hex.SetTextIfChanged(HexStringOf(hex_[kRed], hex_[kGreen], hex_[kBlue], &IsLeadByte));
}

void ColorGroup::ShowChannels(int format) {
    for (int c = kRed; c <= kBlue; ++c) ShowChannel(*editors_.channels[c], format, hex_[c], values_[c]);
    for (int c = kRed; c <= kBlue; ++c) editors_.bars[c]->SetPosition(values_[c]);
}

}  // namespace velmira
