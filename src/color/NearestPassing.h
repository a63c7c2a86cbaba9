#pragma once
// The colour nearest to a given one whose WCAG ratio against another, fixed colour meets a level: what the
// preview's menu sets the text or the background colour to.
//
// The answer keeps the hue. A grey (R = G = B) stays grey. Any other colour becomes a colour whose OKLCh
// hue lies within kHueTolerance of its own, or a grey: without that rule the nearest colour drifts towards
// green when it must get lighter and towards purple when it must get darker (relative luminance weighs
// green most), and a grey picks up a tint. Among those candidates the answer is the one with the smallest
// OKLab distance to the original, and of equal distances the smallest 0xRRGGBB value. Black and white are
// greys and the extremes of luminance, so a level that any colour reaches is reached by a candidate.
//
// The search is exact over all 16,777,216 8-bit colours, a branch and bound over boxes of the RGB cube:
// the ratio depends only on the luminance, which grows with every channel, so a box narrows to the channel
// values that can pass and is dropped when none can; each OKLab coordinate of a box is bounded through the
// cone responses, which also grow with every channel, and so is its range of hues. Boxes are opened nearest
// bound first until the nearest one left is farther than the best candidate found.
#include <cstddef>
#include <string>
#include <vector>

#include "color/Rgb.h"

namespace velmira {

enum class ContrastTarget { Aa, Aaa };  // 4.5:1 and 7:1, the levels for normal text
double RatioOf(ContrastTarget target) noexcept;

// Half the width of the band of OKLCh hues that counts as the same hue.
constexpr double kHueToleranceDegrees = 5.0;
// Whether `candidate` keeps the hue of `original` in the sense above.
bool KeepsHue(Rgb original, Rgb candidate) noexcept;

struct PassingColour {
    bool possible = false;  // some 8-bit colour reaches the level against the fixed colour
    Rgb colour;             // the nearest passing colour; the original when impossible or already passing
    double ratio = 0;       // its ratio against the fixed colour
    double distance = 0;    // its OKLab distance from the original
    double bestRatio = 0;   // the highest ratio any colour reaches against the fixed one (white's or black's)
    std::size_t boxesOpened = 0;  // the search's work, for the benchmark
};

// `level` is the ratio to reach; a ratio passes when it is >= level, as LevelsOf decides.
PassingColour NearestPassingColour(Rgb original, Rgb fixed, double level);
PassingColour NearestPassingColour(Rgb original, Rgb fixed, ContrastTarget target);

// Text over a picture: the nearest colour, by the same rule, that is lighter than every one of `pixels` (the
// picture's pixels under the text) by the level, or darker than every one, and so meets the level against
// each of them. `ratio` is then the lowest against the pixels and `bestRatio` the best that white or black
// reach. A colour between the darkest and the lightest pixel is not sought: it could meet 4.5:1 against both
// only if they were within a few units of black and of white.
PassingColour NearestPassingOver(Rgb original, const std::vector<Rgb>& pixels, ContrastTarget target);

// The highest ratio any 8-bit colour reaches against `fixed` (white's or black's), and whether that meets
// the target: cheap, for greying out a menu item without searching.
double HighestRatioAgainst(Rgb fixed) noexcept;
bool Reachable(ContrastTarget target, Rgb fixed) noexcept;
// Over a picture: whether white or black meets the target against every one of the pixels.
bool ReachableOver(ContrastTarget target, const std::vector<Rgb>& pixels);

// The preview menu's adjustment items: which colour changes, against which fixed colour and to which
// level, with the access keys &1 to &4. An item whose level no colour reaches says why after its usual text.
enum class AdjustedColour { Text, Background };
std::string AdjustItemText(AdjustedColour which, ContrastTarget target);
std::string AdjustItemText(AdjustedColour which, ContrastTarget target, Rgb fixed);
// The text colour's item while a picture is the background; unreachable when neither white nor black meets
// the level against every pixel under the text.
std::string AdjustTextOverPictureItemText(ContrastTarget target, const std::vector<Rgb>& pixels);

}  // namespace velmira
