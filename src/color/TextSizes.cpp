#include "color/TextSizes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "color/Apca.h"
#include "color/Contrast.h"

namespace velmira {
namespace {

// APCA's published font lookup table, as apca-w3 0.1.9 gives it (fontLookupAPCA, "Public Beta 0.1.7 (G)",
// May 28 2022; reference font Barlow): for each row's Lc the smallest font size in CSS pixels for weights 100
// to 900, and the change of each size over the five Lc to the next row. 777 allows non-text elements only.
// The rows run from Lc 25 every 5 up to 125; the published rows below Lc 25 allow no text at any weight, which
// the Lc threshold below says for them.
constexpr int kRows = 21;
constexpr double kFirstRowLc = 25;
constexpr double kNonTextOnly = 777;

constexpr double kSizes[kRows][kFontWeightCount] = {
    {777, 777, 777, 120, 120, 108, 96, 96, 96},                 // 25
    {777, 777, 120, 108, 108, 96, 72, 72, 72},                  // 30
    {777, 120, 108, 96, 72, 60, 48, 48, 48},                    // 35
    {120, 108, 96, 60, 48, 42, 32, 32, 32},                     // 40
    {108, 96, 72, 42, 32, 28, 24, 24, 24},                      // 45
    {96, 72, 60, 32, 28, 24, 21, 21, 21},                       // 50
    {80, 60, 48, 28, 24, 21, 18, 18, 18},                       // 55
    {72, 48, 42, 24, 21, 18, 16, 16, 18},                       // 60
    {68, 46, 32, 21.75, 19, 17, 15, 16, 18},                    // 65
    {64, 44, 28, 19.5, 18, 16, 14.5, 16, 18},                   // 70
    {60, 42, 24, 18, 16, 15, 14, 16, 18},                       // 75
    {56, 38.25, 23, 17.25, 15.81, 14.81, 14, 16, 18},           // 80
    {52, 34.5, 22, 16.5, 15.625, 14.625, 14, 16, 18},           // 85
    {48, 32, 21, 16, 15.5, 14.5, 14, 16, 18},                   // 90
    {45, 28, 19.5, 15.5, 15, 14, 13.5, 16, 18},                 // 95
    {42, 26.5, 18.5, 15, 14.5, 13.5, 13, 16, 18},               // 100
    {39, 25, 18, 14.5, 14, 13, 12, 16, 18},                     // 105
    {36, 24, 18, 14, 13, 12, 11, 16, 18},                       // 110
    {34.5, 22.5, 17.25, 12.5, 11.875, 11.25, 10.625, 14.5, 16.5},  // 115
    {33, 21, 16.5, 11, 10.75, 10.5, 10.25, 13, 15},             // 120
    {32, 20, 16, 10, 10, 10, 10, 12, 14},                       // 125
};

constexpr double kDeltas[kRows][kFontWeightCount] = {
    {0, 0, 0, 12, 12, 12, 24, 24, 24},                      // 25
    {0, 0, 12, 12, 36, 36, 24, 24, 24},                     // 30
    {0, 12, 12, 36, 24, 18, 16, 16, 16},                    // 35
    {12, 12, 24, 18, 16, 14, 8, 8, 8},                      // 40
    {12, 24, 12, 10, 4, 4, 3, 3, 3},                        // 45
    {16, 12, 12, 4, 4, 3, 3, 3, 3},                         // 50
    {8, 12, 6, 4, 3, 3, 2, 2, 0},                           // 55
    {4, 2, 10, 2.25, 2, 1, 1, 0, 0},                        // 60
    {4, 2, 4, 2.25, 1, 1, 0.5, 0, 0},                       // 65
    {4, 2, 4, 1.5, 2, 1, 0.5, 0, 0},                        // 70
    {4, 3.75, 1, 0.75, 0.188, 0.188, 0, 0, 0},              // 75
    {4, 3.75, 1, 0.75, 0.188, 0.188, 0, 0, 0},              // 80
    {4, 2.5, 1, 0.5, 0.125, 0.125, 0, 0, 0},                // 85
    {3, 4, 1.5, 0.5, 0.5, 0.5, 0.5, 0, 0},                  // 90
    {3, 1.5, 1, 0.5, 0.5, 0.5, 0.5, 0, 0},                  // 95
    {3, 1.5, 0.5, 0.5, 0.5, 0.5, 1, 0, 0},                  // 100
    {3, 1, 0, 0.5, 1, 1, 1, 0, 0},                          // 105
    {1.5, 1.5, 0.75, 1.5, 1.125, 0.75, 0.375, 1.5, 1.5},    // 110
    {1.5, 1.5, 0.75, 1.5, 1.125, 0.75, 0.375, 1.5, 1.5},    // 115
    {1, 1, 0.5, 1, 0.75, 0.5, 0.25, 1, 1},                  // 120
    {0, 0, 0, 0, 0, 0, 0, 0, 0},                            // 125
};

// The row at or below |lc|, for an Lc of 25 or more.
int RowOf(double magnitude) noexcept {
    return std::min(static_cast<int>((magnitude - kFirstRowLc) / 5), kRows - 1);
}

double RowLc(int row) noexcept {
    return kFirstRowLc + 5.0 * row;
}

// Between rows the size falls by the row's change over the five Lc: to a whole pixel for sizes above 24, in
// half-pixel steps (never below the next step) for the smaller ones, as the table's own reading does.
std::optional<double> SizeAt(double magnitude, int row, int weight) {
    const double size = kSizes[row][weight];
    if (size == kNonTextOnly) return std::nullopt;
    const double along = (magnitude - RowLc(row)) / 5;
    const double change = kDeltas[row][weight] * along;
    if (size > 24) return std::round(size - change);
    return size - std::floor(2 * change) * 0.5;
}

const char* Mark(bool passes) {
    return passes ? "○" : "×";
}

}  // namespace

std::array<std::optional<double>, kFontWeightCount> ApcaMinimumFontSizes(double lc) {
    const double magnitude = std::fabs(lc);
    std::array<std::optional<double>, kFontWeightCount> sizes;
    if (magnitude < 29.5) return sizes;  // below 14.5 nothing, then non-text elements only
    const int row = RowOf(magnitude);
    for (int weight = 0; weight < kFontWeightCount; ++weight) sizes[weight] = SizeAt(magnitude, row, weight);
    return sizes;
}

std::string FontSizeText(const std::optional<double>& size) {
    if (!size) return "使用不可";
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", *size);
    std::string out = text;
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
    return out + "px";
}

std::string TextSizeVerdictText(double ratio, double lc) {
    const ContrastLevels levels = LevelsOf(ratio);
    std::string text = "大きな文字: 24px 以上、太字は 18.66px 以上\n";
    text += std::string("通常の文字 (それより小さい文字): AA ") + Mark(levels.aaNormal) + " / AAA " +
            Mark(levels.aaaNormal) + "\n";
    text += std::string("大きな文字: AA ") + Mark(levels.aaLarge) + " / AAA " + Mark(levels.aaaLarge) + "\n";
    text += "APCA " + LcText(lc) + " で読める最小の文字サイズ (太さごと)";
    const auto sizes = ApcaMinimumFontSizes(lc);
    for (int weight = 0; weight < kFontWeightCount; ++weight)
        text += "\n" + std::to_string(kFontWeights[weight]) + ": " + FontSizeText(sizes[weight]);
    return text;
}

}  // namespace velmira
