#include "color/SampleStats.h"

#include <cstdint>

#include "color/ColorText.h"
#include "color/Contrast.h"

namespace velmira {

std::vector<Rgb> ColoursOf(const std::vector<std::uint32_t>& pixels) {
    std::vector<Rgb> colours;
    colours.reserve(pixels.size());
    for (const std::uint32_t pixel : pixels)
        colours.push_back(Rgb{static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
                              static_cast<std::uint8_t>(pixel)});
    return colours;
}

Rgb MeanColour(const std::vector<Rgb>& square) {
    std::uint64_t red = 0, green = 0, blue = 0;
    for (const Rgb& pixel : square) {
        red += pixel.red;
        green += pixel.green;
        blue += pixel.blue;
    }
    const std::uint64_t count = square.size();
    const auto halfUp = [count](std::uint64_t sum) { return static_cast<std::uint8_t>((2 * sum + count) / (2 * count)); };
    return Rgb{halfUp(red), halfUp(green), halfUp(blue)};
}

SquareSample SampleOf(const std::vector<Rgb>& square) {
    SquareSample sample;
    sample.mean = MeanColour(square);
    double lowest = 2, highest = -1;
    for (const Rgb& pixel : square) {
        const double luminance = RelativeLuminance(pixel);
        if (luminance < lowest) {
            lowest = luminance;
            sample.darkest = pixel;
        }
        if (luminance > highest) {
            highest = luminance;
            sample.lightest = pixel;
        }
    }
    return sample;
}

double ContrastAgainst(Rgb candidate, const std::vector<Rgb>& against) {
    return ContrastRatio(candidate, against.size() == 1 ? against.front() : LeastContrasting(candidate, against));
}

Rgb StrongestAgainst(const std::vector<Rgb>& square, const std::vector<Rgb>& against) {
    Rgb strongest = square.front();
    double best = -1;
    for (const Rgb& pixel : square) {
        const double ratio = ContrastAgainst(pixel, against);
        if (ratio > best) {
            best = ratio;
            strongest = pixel;
        }
    }
    return strongest;
}

std::string SampledReadoutText(const SquareSample& sample, const std::vector<Rgb>& against) {
    const auto line = [&against](const char* label, Rgb colour) {
        std::string ratio = RatioText(ContrastAgainst(colour, against));
        ratio.resize(ratio.size() - 2);  // ":1"
        return std::string(label) + " " + HexText(colour) + " " + ratio;
    };
    return line("平均", sample.mean) + "\n" + line("最暗", sample.darkest) + "\n" + line("最明", sample.lightest);
}

}  // namespace velmira
