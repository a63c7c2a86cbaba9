// libFuzzer target: colour text as the clipboard or a palette file hands it over, and the copy formats of what
// it reads.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "FuzzInput.h"
#include "color/CopyFormats.h"
#include "color/CssColor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<velmira::RgbaColour> colour = velmira::ReadCssColour(text);
    const std::optional<velmira::RgbaColour> first = velmira::FirstCssColourIn(text);
    if (!colour) return 0;

    // A text that is one colour starts a line with that colour.
    FUZZ_CHECK(first && first->rgb == colour->rgb && first->alpha == colour->alpha);
    // Drawn over another colour it lies between the two in every channel.
    const velmira::Rgb under{static_cast<std::uint8_t>(size), 0x80, 0xFF};
    const velmira::Rgb over = velmira::Over(*colour, under);
    auto between = [](int v, int a, int b) { return v >= (a < b ? a : b) && v <= (a < b ? b : a); };
    FUZZ_CHECK(between(over.red, colour->rgb.red, under.red) && between(over.green, colour->rgb.green, under.green) &&
               between(over.blue, colour->rgb.blue, under.blue));
    // Every copy format of it reads back as the same colour.
    for (const velmira::CopyFormat& format : velmira::CopyFormatsOf(colour->rgb)) {
        const std::optional<velmira::RgbaColour> back = velmira::ReadCssColour(format.text);
        FUZZ_CHECK(back && back->alpha == 255 && back->rgb == colour->rgb);
    }
    return 0;
}
