#include "color/ColorGroup.h"

#include "color/ColorText.h"
#include "text/ChannelText.h"
#include "text/SystemText.h"

namespace {

// What a channel edit shows in the display format; nothing when no format is selected.
void ShowChannel(ui::Edit& edit, int format, const std::string& channel, std::int32_t value) {
    if (format == ColorGroup::kHexadecimal)
        edit.SetTextIfChanged(channel);
    else if (format == ColorGroup::kDecimal)
        edit.SetTextIfChanged(velmira::DecimalText(value));
}

}  // namespace

ColorGroup::ColorGroup(Editors editors, std::function<void()> changed)
    : editors_(editors), changed_(std::move(changed)) {}

COLORREF ColorGroup::Packed() const noexcept {
    return velmira::PackColor(values_[kRed], values_[kGreen], values_[kBlue]);
}

void ColorGroup::SetChannel(Channel channel, std::string text) {
    values_[channel] = velmira::ChannelValue(text);
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

void ColorGroup::ChannelKeyUp(Channel channel, int format) {
    const std::string text = editors_.channels[channel]->Text();
    if (format == kHexadecimal)
        SetChannel(channel, text);
    else if (format == kDecimal)
        SetChannel(channel, velmira::ChannelStringFromDecimal(text));
    // With no format selected the channel stays as it was; the refresh runs all the same.
    changed_();
}

void ColorGroup::BarScroll(Channel channel, int position) {
    SetChannel(channel, velmira::HexAtLeastTwoDigits(static_cast<std::uint32_t>(position)));
    changed_();
}

void ColorGroup::Show(int format, bool channels) {
    if (channels) {
        for (int c = kRed; c <= kBlue; ++c) editors_.bars[c]->SetPosition(values_[c]);
        for (int c = kRed; c <= kBlue; ++c) ShowChannel(*editors_.channels[c], format, hex_[c], values_[c]);
    }
    editors_.hex.SetTextIfChanged(velmira::HexStringOf(hex_[kRed], hex_[kGreen], hex_[kBlue], &velmira::IsLeadByte));
}

void ColorGroup::ShowChannels(int format) {
    for (int c = kRed; c <= kBlue; ++c) ShowChannel(*editors_.channels[c], format, hex_[c], values_[c]);
    for (int c = kRed; c <= kBlue; ++c) editors_.bars[c]->SetPosition(values_[c]);
}
