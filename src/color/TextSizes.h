#pragma once
// Which text sizes a pair allows: WCAG's size classes (large text is 18 pt, or 14 pt bold: 24 and 18.66 CSS
// pixels) and, for APCA, the smallest font size per weight that an Lc allows by APCA's published font lookup
// table.
#include <array>
#include <optional>
#include <string>

namespace velmira {

constexpr int kFontWeights[] = {100, 200, 300, 400, 500, 600, 700, 800, 900};
constexpr int kFontWeightCount = 9;

// The smallest size in CSS pixels for each weight 100 to 900 at `lc` (either sign), or nothing where the table
// allows text of no size at that weight (too little contrast, or non-text elements only).
std::array<std::optional<double>, kFontWeightCount> ApcaMinimumFontSizes(double lc);

// "19.5px", "15.625px", "使用不可".
std::string FontSizeText(const std::optional<double>& size);

// The contrast details' lines on text sizes for a WCAG ratio and an APCA Lc (over a picture, the worst of
// each): what large text is, the AA and AAA results for each size class, and the smallest size per weight.
std::string TextSizeVerdictText(double ratio, double lc);

}  // namespace velmira
