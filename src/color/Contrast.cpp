#include "color/Contrast.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "color/ColorText.h"

namespace velmira {
namespace {

// The linear value of each of the 256 sRGB channel values, computed once: a picture costs three look-ups
// per pixel instead of three powers.
const std::array<double, 256>& LinearChannels() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (std::size_t i = 0; i < t.size(); ++i) {
            const double c = static_cast<double>(i) / 255.0;
            t[i] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return table;
}

// Half up on the exact value; the result counts units of 1/scale.
long long RoundHalfUp(double value, double scale) {
    return static_cast<long long>(std::floor(value * scale + 0.5));
}

const char* Mark(bool passes) {
    return passes ? "○" : "×";
}

}  // namespace

double LinearChannel(std::uint8_t value) noexcept {
    return LinearChannels()[value];
}

double RelativeLuminance(Rgb colour) noexcept {
    const auto& linear = LinearChannels();
    return 0.2126 * linear[colour.red] + 0.7152 * linear[colour.green] + 0.0722 * linear[colour.blue];
}

double ContrastRatioOfLuminances(double a, double b) noexcept {
    const double lighter = std::max(a, b);
    const double darker = std::min(a, b);
    return (lighter + 0.05) / (darker + 0.05);
}

double ContrastRatio(Rgb a, Rgb b) noexcept {
    return ContrastRatioOfLuminances(RelativeLuminance(a), RelativeLuminance(b));
}

ContrastLevels LevelsOf(double ratio) noexcept {
    return ContrastLevels{ratio >= kAaNormal, ratio >= kAaLarge, ratio >= kAaaNormal, ratio >= kAaaLarge};
}

std::string RatioText(double ratio) {
    const long long hundredths = RoundHalfUp(ratio, 100.0);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%lld.%02lld:1", hundredths / 100, hundredths % 100);
    return buffer;
}

std::string PercentText(double share) {
    const long long tenths = RoundHalfUp(share, 1000.0);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%lld.%lld%%", tenths / 10, tenths % 10);
    return buffer;
}

PictureContrast PictureContrastOf(Rgb text, std::vector<Rgb> pixels) {
    PictureContrast result;
    result.pixels = pixels.size();
    if (pixels.empty()) return result;

    const double textLuminance = RelativeLuminance(text);
    std::vector<double> ratios;
    ratios.reserve(pixels.size());
    std::size_t below = 0;
    for (const Rgb& pixel : pixels) {
        const double ratio = ContrastRatioOfLuminances(textLuminance, RelativeLuminance(pixel));
        if (ratio < kAaNormal) ++below;
        ratios.push_back(ratio);
    }
    result.worst = *std::min_element(ratios.begin(), ratios.end());
    result.shareBelowAa = static_cast<double>(below) / static_cast<double>(ratios.size());

    const auto middle = ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2);
    std::nth_element(ratios.begin(), middle, ratios.end());
    result.median = *middle;
    if (ratios.size() % 2 == 0) {
        // Everything before the middle is no greater than it; the largest of those is the lower middle value.
        const double lower = *std::max_element(ratios.begin(), middle);
        result.median = (lower + *middle) / 2;
    }
    return result;
}

std::string ColourPairTipText(Rgb text, Rgb background) {
    const double ratio = ContrastRatio(text, background);
    const ContrastLevels levels = LevelsOf(ratio);
    std::string tip = "コントラスト比 " + RatioText(ratio) + "\n";
    tip += std::string("AA: 通常の文字 ") + Mark(levels.aaNormal) + " / 大きな文字 " + Mark(levels.aaLarge) + "\n";
    tip += std::string("AAA: 通常の文字 ") + Mark(levels.aaaNormal) + " / 大きな文字 " + Mark(levels.aaaLarge);
    return tip;
}

std::string PictureTipText(const PictureContrast& contrast) {
    std::string tip = "背景画像に対するコントラスト比\n";
    if (contrast.pixels == 0) return tip + "文字の下に画素がありません";
    tip += "最低 " + RatioText(contrast.worst) + " / 中央値 " + RatioText(contrast.median) + "\n";
    tip += "4.5:1 未満の画素 " + PercentText(contrast.shareBelowAa);
    return tip;
}

Rgb LeastContrasting(Rgb candidate, const std::vector<Rgb>& pixels) {
    return *std::min_element(pixels.begin(), pixels.end(), [candidate](Rgb a, Rgb b) {
        return ContrastRatio(candidate, a) < ContrastRatio(candidate, b);
    });
}

std::string PickReadoutText(Rgb candidate, Rgb other) {
    return HexText(candidate) + "  " + RatioText(ContrastRatio(candidate, other));
}

}  // namespace velmira
