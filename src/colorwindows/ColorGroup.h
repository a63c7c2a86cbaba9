#pragma once
// One colour's group of editors: its six-digit edit, its three channel edits and scroll bars, and the three
// channel strings behind them, which are authoritative; the channel values follow them at once. The group
// wires its editors' events to its rules (what a key release, a scroll or a paste does, what an edit shows in
// which format); the owner's refresh, raised after every change, brings the rest of the window into line.
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "color/Rgb.h"
#include "ui/Edit.h"
#include "ui/RadioGroup.h"
#include "ui/ScrollBar.h"

namespace velmira {

class ColorGroup {
public:
    // The display format, as the format radio group numbers its items; anything else selects none.
    static constexpr int kDecimal = 0;
    static constexpr int kHexadecimal = 1;

    enum Channel : int { kRed = 0, kGreen = 1, kBlue = 2 };

    struct Editors {
        ui::Edit& hex;
        std::array<ui::Edit*, 3> channels;
        std::array<ui::ScrollBar*, 3> bars;
    };

    // `format` is the display format's radio group, which both groups share; a pasted colour with alpha is drawn
    // over what `pasteUnder` gives; `changed` is the owner's refresh.
    ColorGroup(Editors editors, const ui::RadioGroup& format, std::function<Rgb()> pasteUnder,
               std::function<void()> changed);
    ColorGroup(const ColorGroup&) = delete;
    ColorGroup& operator=(const ColorGroup&) = delete;

    const std::string& Hex(Channel channel) const noexcept { return hex_[channel]; }
    std::int32_t Value(Channel channel) const noexcept { return values_[channel]; }
    // The colour the channel values make, and the same in the platform's packed order.
    Rgb Colour() const noexcept;
    COLORREF Packed() const noexcept;

    // Takes the three channel strings as they are, without a refresh: the settings before the window shows, and
    // the first colour of a swap, whose second colour's SetChannels refreshes for both.
    void Assign(std::string red, std::string green, std::string blue);
    // Takes the three channel strings and raises the refresh: the one way in for typing, scrolling, picking,
    // the palette and whatever sets the colour from outside.
    void SetChannels(std::string red, std::string green, std::string blue);

    // Shows the colour: the scroll bars and channel edits too when `channels` is set, the six-digit edit always.
    void Show(int format, bool channels);
    // Shows the channels in the format, and the bars.
    void ShowChannels(int format);

private:
    void ConnectEditors();
    void SetChannel(Channel channel, std::string text);

    // The editors' events.
    void HexKeyUp();
    void ChannelKeyUp(Channel channel);
    void BarScroll(Channel channel, int position);
    // A paste into one of the edits of a text that is one CSS colour sets the whole colour; true when it did,
    // false for the edit's own paste.
    bool PasteColour();

    Editors editors_;
    const ui::RadioGroup& format_;
    std::function<Rgb()> pasteUnder_;
    std::function<void()> changed_;
    std::array<std::string, 3> hex_;
    std::array<std::int32_t, 3> values_{};
};

}  // namespace velmira
