#pragma once
// The colour of a palette file's swatch, where the palette files meet the colour science: a colour given in
// another model becomes sRGB by the conversions of CSS Color 4 (Lab through XYZ and OKLab, gamut mapped; HSB as
// the HWB it is), CMYK by the plain formula; a declaration's value gives its first CSS colour, a line of text
// the one colour it is alone, drawn over white.
#include <cstdint>
#include <optional>

#include "palette/PaletteFile.h"

namespace velmira {

// Packed with red in the low byte; nothing for a line of text without a colour.
std::optional<std::uint32_t> ColourOfSwatch(const Swatch& swatch);

}  // namespace velmira
