// libFuzzer target: the palette's stored slot texts and channel texts, as a hand-edited settings file holds them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "color/ColorText.h"
#include "text/ChannelText.h"
#include "palette/PaletteText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmira::fuzz::FuzzInput in(data, size);
    const std::string_view slot = in.Text();
    const std::string_view red = in.Text();
    const std::string_view green = in.Text();
    const std::string_view blue = in.Rest();

    // A slot text becomes a 24-bit colour, and writing it back and reading it again changes nothing.
    const std::uint32_t colour = velmira::PaletteColorFromText(slot);
    FUZZ_CHECK(colour <= 0xFFFFFF);
    const std::string stored = velmira::PaletteTextOfColor(colour);
    FUZZ_CHECK(stored.size() == 6);
    FUZZ_CHECK(velmira::PaletteColorFromText(stored) == colour);

    const std::uint32_t current = velmira::PaletteColorOfChannels(red, green, blue);
    FUZZ_CHECK(current <= 0xFFFFFF);
    FUZZ_CHECK(current == velmira::PackColor(velmira::ChannelValue(red), velmira::ChannelValue(green),
                                             velmira::ChannelValue(blue)));
    const velmira::ChannelStrings back = velmira::ChannelStringsOfColor(current);
    FUZZ_CHECK(back.red.size() == 2 && back.green.size() == 2 && back.blue.size() == 2);
    FUZZ_CHECK(velmira::PaletteColorOfChannels(back.red, back.green, back.blue) == current);

    const int n = static_cast<int>(colour % 20) + 1;
    FUZZ_CHECK(velmira::PaletteSlotKey(n).rfind("Palllet", 0) == 0);
    return 0;
}
