#pragma once
// What a pick that samples a square of pixels reports and takes: the mean colour, the darkest and the lightest
// pixel (by relative luminance), and the pixel that stands out most against the pair's other colour.
//
// The other colour is a set: the one colour of a pair, or the picture's pixels under the sample text, where a
// candidate's contrast is its lowest against any of them (as the contrast tip judges text over a picture).
#include <cstdint>
#include <string>
#include <vector>

#include "color/Rgb.h"

namespace velmira {

// Screen pixels, 0x00RRGGBB, as colours.
std::vector<Rgb> ColoursOf(const std::vector<std::uint32_t>& pixels);

// Per channel, the mean of the 8-bit values rounded half up (`square` is not empty).
Rgb MeanColour(const std::vector<Rgb>& square);

struct SquareSample {
    Rgb mean;
    Rgb darkest;   // the first in reading order of the lowest luminance
    Rgb lightest;  // the first of the highest
};
SquareSample SampleOf(const std::vector<Rgb>& square);

// The candidate's WCAG ratio against the other colour (`against` is not empty).
double ContrastAgainst(Rgb candidate, const std::vector<Rgb>& against);

// The pixel of the square with the highest ratio against the other colour; the first in reading order on a tie.
Rgb StrongestAgainst(const std::vector<Rgb>& square, const std::vector<Rgb>& against);

// The loupe's three lines for a sampled square, each a label, the colour and its ratio (without ":1", to fit
// the loupe): "平均 717171 4.12" / "最暗 000000 21.00" / "最明 FFFFFF 1.00".
std::string SampledReadoutText(const SquareSample& sample, const std::vector<Rgb>& against);

}  // namespace velmira
