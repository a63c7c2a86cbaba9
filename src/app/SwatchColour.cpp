#include "app/SwatchColour.h"

#include "color/ColorSpaces.h"
#include "color/CssColor.h"

namespace velmira {

std::optional<std::uint32_t> ColourOfSwatch(const Swatch& swatch) {
    const std::array<double, 4>& v = swatch.values;
    switch (swatch.model) {
    case SwatchModel::Rgb:
        return Packed(RgbOfEncoded({v[0], v[1], v[2]}));
    case SwatchModel::Hsb:  // whiteness (1 - saturation) brightness, blackness 1 - brightness
        return Packed(RgbOfEncoded(SrgbOfHwb(v[0], (1 - v[1]) * v[2], 1 - v[2])));
    case SwatchModel::Cmyk:
        return Packed(RgbOfEncoded(SrgbOfCmyk(v[0], v[1], v[2], v[3])));
    case SwatchModel::Lab:
        return Packed(RgbOfEncoded(GamutMappedSrgb(OklabOfLab({v[0], v[1], v[2]}))));
    case SwatchModel::Grey:
        return Packed(RgbOfEncoded({v[0], v[0], v[0]}));
    case SwatchModel::Text:
    case SwatchModel::Value:
        break;
    }
    const std::optional<RgbaColour> colour =
        swatch.model == SwatchModel::Value ? FirstCssColourIn(swatch.line) : PastedCssColour(swatch.line);
    if (!colour) return std::nullopt;
    return Packed(Over(*colour, Rgb{255, 255, 255}));
}

}  // namespace velmira
