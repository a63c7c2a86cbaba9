// Contrast ratios, the pass levels, their shown form and the statistics over a picture's pixels.
#include <gtest/gtest.h>

#include <optional>

#include "color/Contrast.h"

namespace {

using velmira::Rgb;

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

constexpr Rgb Grey(std::uint8_t level) {
    return Rgb{level, level, level};
}

// Some colour whose ratio against white lies in [low, high), searched for rather than assumed.
std::optional<Rgb> ColourWithRatioAgainstWhite(double low, double high) {
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; b += 3) {
                const Rgb c{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
                const double ratio = velmira::ContrastRatio(c, kWhite);
                if (ratio >= low && ratio < high) return c;
            }
    return std::nullopt;
}

struct PairCase {
    Rgb text;
    Rgb background;
    const char* shown;
    bool aaNormal, aaLarge, aaaNormal, aaaLarge;
};

TEST(Contrast, KnownPairsShowTheirRatioAndLevels) {
    const PairCase cases[] = {
        {kBlack, kWhite, "21.00:1", true, true, true, true},
        {kWhite, kBlack, "21.00:1", true, true, true, true},  // order does not matter
        {kWhite, kWhite, "1.00:1", false, false, false, false},
        {Grey(0x77), kWhite, "4.48:1", false, true, false, false},
        {Grey(0x76), kWhite, "4.54:1", true, true, false, true},
        {Grey(0x59), kWhite, "7.00:1", true, true, true, true},
        {Grey(0x5A), kWhite, "6.90:1", true, true, false, true},
        {Grey(0x94), kWhite, "3.03:1", false, true, false, false},
        {Rgb{0, 0, 255}, kWhite, "8.59:1", true, true, true, true},
        {Rgb{0, 128, 0}, kWhite, "5.14:1", true, true, false, true},
        {kBlack, Grey(0x76), "4.62:1", true, true, false, true},
        // Shown rounded up, yet below the threshold that the rounded figure seems to reach.
        {Rgb{255, 0, 0}, kWhite, "4.00:1", false, true, false, false},
        {Grey(0x95), kWhite, "3.00:1", false, false, false, false},
    };
    for (const PairCase& c : cases) {
        const double ratio = velmira::ContrastRatio(c.text, c.background);
        SCOPED_TRACE(testing::Message() << int(c.text.red) << "," << int(c.text.green) << "," << int(c.text.blue)
                                        << " on " << int(c.background.red) << " ratio " << ratio);
        EXPECT_EQ(velmira::RatioText(ratio), c.shown);
        const velmira::ContrastLevels levels = velmira::LevelsOf(ratio);
        EXPECT_EQ(levels.aaNormal, c.aaNormal);
        EXPECT_EQ(levels.aaLarge, c.aaLarge);
        EXPECT_EQ(levels.aaaNormal, c.aaaNormal);
        EXPECT_EQ(levels.aaaLarge, c.aaaLarge);
    }
}

TEST(Contrast, LuminanceUsesTheLinearSegmentBelowTheKnee) {
    // Channel value 10 (0.0392) lies below 0.04045: linear, c/12.92; 11 lies above: the power curve.
    EXPECT_NEAR(velmira::RelativeLuminance(Grey(10)), 10.0 / 255.0 / 12.92, 1e-12);
    EXPECT_NEAR(velmira::RelativeLuminance(Grey(11)), 0.0033465357638991, 1e-9);
    EXPECT_NEAR(velmira::RelativeLuminance(Rgb{0, 255, 0}), 0.7152, 1e-12);
    EXPECT_DOUBLE_EQ(velmira::RelativeLuminance(kWhite), 1.0);
}

TEST(Contrast, ARatioJustBelowAaShowsFourFiftyButFails) {
    const std::optional<Rgb> colour = ColourWithRatioAgainstWhite(4.495, 4.5);
    ASSERT_TRUE(colour.has_value());
    const double ratio = velmira::ContrastRatio(*colour, kWhite);
    EXPECT_EQ(velmira::RatioText(ratio), "4.50:1");
    EXPECT_FALSE(velmira::LevelsOf(ratio).aaNormal);
    EXPECT_FALSE(velmira::LevelsOf(ratio).aaaLarge);
    EXPECT_TRUE(velmira::LevelsOf(ratio).aaLarge);
}

TEST(Contrast, ThresholdsPassAtExactlyTheirValue) {
    const velmira::ContrastLevels atAa = velmira::LevelsOf(4.5);
    EXPECT_TRUE(atAa.aaNormal);
    EXPECT_TRUE(atAa.aaaLarge);
    EXPECT_FALSE(atAa.aaaNormal);
    EXPECT_TRUE(velmira::LevelsOf(3.0).aaLarge);
    EXPECT_FALSE(velmira::LevelsOf(2.9999).aaLarge);
    EXPECT_TRUE(velmira::LevelsOf(7.0).aaaNormal);
    EXPECT_FALSE(velmira::LevelsOf(6.9999).aaaNormal);
}

TEST(Contrast, ShownFiguresRoundHalfUp) {
    const struct {
        double ratio;
        const char* shown;
    } ratios[] = {{4.544999, "4.54:1"}, {4.545001, "4.55:1"}, {9.9951, "10.00:1"}, {1.0, "1.00:1"}, {4.0049, "4.00:1"}};
    for (const auto& r : ratios) EXPECT_EQ(velmira::RatioText(r.ratio), r.shown) << r.ratio;

    const struct {
        double share;
        const char* shown;
    } shares[] = {{0.0, "0.0%"}, {1.0, "100.0%"}, {0.12345, "12.3%"}, {0.1235001, "12.4%"}, {1.0 / 3, "33.3%"},
                  {0.0004999, "0.0%"}, {0.9996, "100.0%"}};
    for (const auto& s : shares) EXPECT_EQ(velmira::PercentText(s.share), s.shown) << s.share;
}

TEST(Contrast, PictureStatisticsOverKnownPixels) {
    // Against black text: white 21, #767676 4.62, #777777 4.69, #595959 3.00 (below 4.5), black 1.
    const Rgb grey76 = Grey(0x76), grey77 = Grey(0x77), grey59 = Grey(0x59);
    struct Case {
        std::vector<Rgb> pixels;
        double worst, median, share;
    };
    const Case cases[] = {
        {{kWhite}, 21.0, 21.0, 0.0},
        {{kBlack, kWhite, grey76}, 1.0, velmira::ContrastRatio(kBlack, grey76), 1.0 / 3},
        // An even count: the mean of the two middle ratios.
        {{kWhite, grey77, kBlack, grey76}, 1.0,
         (velmira::ContrastRatio(kBlack, grey76) + velmira::ContrastRatio(kBlack, grey77)) / 2, 0.25},
        {{grey59, grey59, kWhite, kWhite}, velmira::ContrastRatio(kBlack, grey59),
         (velmira::ContrastRatio(kBlack, grey59) + 21.0) / 2, 0.5},
        {{kBlack, kBlack, kBlack, kWhite, kBlack}, 1.0, 1.0, 0.8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pixels.size());
        const velmira::PictureContrast stats = velmira::PictureContrastOf(kBlack, c.pixels);
        EXPECT_EQ(stats.pixels, c.pixels.size());
        EXPECT_NEAR(stats.worst, c.worst, 1e-9);
        EXPECT_NEAR(stats.median, c.median, 1e-9);
        EXPECT_NEAR(stats.shareBelowAa, c.share, 1e-12);
    }
}

TEST(Contrast, ShareCountsExactRatiosBelowAa) {
    // A pixel that reads 4.50:1 but is below 4.5 counts as below.
    const std::optional<Rgb> justBelow = ColourWithRatioAgainstWhite(4.495, 4.5);
    ASSERT_TRUE(justBelow.has_value());
    const velmira::PictureContrast stats = velmira::PictureContrastOf(kWhite, {*justBelow, kBlack});
    EXPECT_DOUBLE_EQ(stats.shareBelowAa, 0.5);
}

TEST(Contrast, TipTexts) {
    EXPECT_EQ(velmira::ColourPairTipText(Grey(0x76), kWhite),
              "コントラスト比 4.54:1\nAA: 通常の文字 ○ / 大きな文字 ○\nAAA: 通常の文字 × / 大きな文字 ○");
    EXPECT_EQ(velmira::ColourPairTipText(kWhite, kWhite),
              "コントラスト比 1.00:1\nAA: 通常の文字 × / 大きな文字 ×\nAAA: 通常の文字 × / 大きな文字 ×");

    velmira::PictureContrast stats;
    stats.pixels = 10;
    stats.worst = 2.1;
    stats.median = 6.3451;
    stats.shareBelowAa = 0.123;
    EXPECT_EQ(velmira::PictureTipText(stats),
              "背景画像に対するコントラスト比\n最低 2.10:1 / 中央値 6.35:1\n4.5:1 未満の画素 12.3%");
    EXPECT_EQ(velmira::PictureTipText(velmira::PictureContrastOf(kBlack, {})),
              "背景画像に対するコントラスト比\n文字の下に画素がありません");

    // The pick's readout: the copied form of the candidate, then its ratio against the other colour.
    EXPECT_EQ(velmira::PickReadoutText(Rgb{0xFF, 0x80, 0x00}, kBlack), "FF8000  8.34:1");
    EXPECT_EQ(velmira::PickReadoutText(Grey(0x94), kWhite), "949494  3.03:1");
    EXPECT_EQ(velmira::PickReadoutText(Rgb{0x0A, 0xBC, 0x0D}, Rgb{0x0A, 0xBC, 0x0D}), "0ABC0D  1.00:1");
}

}  // namespace
