// APCA, the colour-vision simulation, the nearest passing colour, the tooltip's further lines and the CSS
// text, against published reference values and a brute-force search.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "color/Apca.h"
#include "color/ColorText.h"
#include "color/Contrast.h"
#include "color/ContrastTable.h"
#include "color/ContrastTipContent.h"
#include "color/NearestPassing.h"
#include "color/Oklab.h"
#include "color/PreviewMenuItems.h"
#include "color/SampleStats.h"
#include "color/TextSizes.h"
#include "color/VisionDeficiency.h"

namespace {

using velmira::Rgb;
using velmira::Vision;

constexpr Rgb Hex(std::uint32_t rrggbb) {
    return Rgb{static_cast<std::uint8_t>(rrggbb >> 16), static_cast<std::uint8_t>(rrggbb >> 8),
               static_cast<std::uint8_t>(rrggbb)};
}

std::string HexOf(Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", c.red, c.green, c.blue);
    return text;
}

TEST(Apca, MatchesThePublishedReferenceValues) {
    // The APCA documentation's keystone checks for the G-4g constants, text colour first
    // (https://github.com/Myndex/SAPC-APCA, documentation/README.md).
    const struct {
        std::uint32_t text, background;
        double lc;
    } cases[] = {
        {0x888888, 0xFFFFFF, 63.056469930209424}, {0xFFFFFF, 0x888888, -68.54146436644962},
        {0x000000, 0xAAAAAA, 58.146262578561334}, {0xAAAAAA, 0x000000, -56.24113336839742},
        {0x112233, 0xDDEEFF, 91.66830811481631},  {0xDDEEFF, 0x112233, -93.06770049484275},
        {0x112233, 0x444444, 8.32326136957393},   {0x444444, 0x112233, -7.526878460278154},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(velmira::ApcaContrast(Hex(c.text), Hex(c.background)), c.lc, 1e-9) << std::hex << c.text;
}

TEST(Apca, UseFollowsTheBronzeLevelsOnTheExactMagnitude) {
    using velmira::ApcaUse;
    const struct {
        double lc;
        ApcaUse use;
        const char* shown;
    } cases[] = {
        {90.0, ApcaUse::BodyText, "Lc 90.0"},     {-89.99, ApcaUse::FluentText, "Lc -90.0"},
        {75.0, ApcaUse::FluentText, "Lc 75.0"},   {74.96, ApcaUse::ContentText, "Lc 75.0"},
        {-60.0, ApcaUse::ContentText, "Lc -60.0"}, {45.0, ApcaUse::LargeText, "Lc 45.0"},
        {-30.0, ApcaUse::SpotText, "Lc -30.0"},   {15.0, ApcaUse::NonText, "Lc 15.0"},
        {14.99, ApcaUse::NotUsable, "Lc 15.0"},   {0.0, ApcaUse::NotUsable, "Lc 0.0"},
        {-0.04, ApcaUse::NotUsable, "Lc 0.0"},    {59.99, ApcaUse::LargeText, "Lc 60.0"},
        {-44.99, ApcaUse::SpotText, "Lc -45.0"},  {29.99, ApcaUse::NonText, "Lc 30.0"},
        {-0.1, ApcaUse::NotUsable, "Lc -0.1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(velmira::ApcaUseOf(c.lc), c.use) << c.lc;
        EXPECT_EQ(velmira::LcText(c.lc), c.shown) << c.lc;
    }
}

TEST(Apca, SmallestFontSizesFollowThePublishedLookupTable) {
    // Every quarter Lc from 0 to 129.75, as fontLookupAPCA of apca-w3 0.1.9 answers it; 0 for none.
    std::ifstream table(VELMIRA_TESTDATA "/apca-font-sizes.csv");
    ASSERT_TRUE(table) << "tests/data/apca-font-sizes.csv";
    int rows = 0;
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<double> figures;  // Lc, then the size for each weight
        std::istringstream fields(line);
        for (std::string figure; std::getline(fields, figure, ',');) figures.push_back(std::stod(figure));
        ASSERT_EQ(figures.size(), 1u + velmira::kFontWeightCount) << line;
        for (const double lc : {figures[0], -figures[0]}) {
            const auto sizes = velmira::ApcaMinimumFontSizes(lc);
            for (int w = 0; w < velmira::kFontWeightCount; ++w) {
                EXPECT_EQ(sizes[w].value_or(0), figures[1 + w]) << "Lc " << lc << ", weight " << velmira::kFontWeights[w];
            }
        }
        ++rows;
    }
    EXPECT_EQ(rows, 520);
}

TEST(TextSizes, TheDetailsNameTheSizeClassesAndTheSmallestSizePerWeight) {
    EXPECT_EQ(velmira::TextSizeVerdictText(4.6, 71.1),
              "大きな文字: 24px 以上、太字は 18.66px 以上\n"
              "通常の文字 (それより小さい文字): AA ○ / AAA ×\n"
              "大きな文字: AA ○ / AAA ○\n"
              "APCA Lc 71.1 で読める最小の文字サイズ (太さごと)\n"
              "100: 63px\n200: 44px\n300: 27px\n400: 19.5px\n500: 18px\n600: 16px\n700: 14.5px\n800: 16px\n900: 18px");
    const std::string low = velmira::TextSizeVerdictText(3.2, -20);
    EXPECT_NE(low.find("通常の文字 (それより小さい文字): AA × / AAA ×\n大きな文字: AA ○ / AAA ×\n"), std::string::npos);
    EXPECT_NE(low.find("\n100: 使用不可\n"), std::string::npos);
    EXPECT_EQ(velmira::FontSizeText(15.625), "15.625px");
}

TEST(ContrastTable, EveryOrderedPairOfDistinctColoursHighestRatioFirst) {
    // The palette's repeated white counts once.
    const std::vector<Rgb> palette = {Hex(0x000000), Hex(0xFFFFFF), Hex(0x767676), Hex(0xFFFFFF)};
    const auto rows = velmira::ContrastTableRows(palette);
    EXPECT_EQ(velmira::ContrastTableText(rows),
              "文字\t背景\tコントラスト比\tAA 通常\tAA 大\tAAA 通常\tAAA 大\tAPCA Lc\n"
              "000000\tFFFFFF\t21.00\t○\t○\t○\t○\t106.0\n"
              "FFFFFF\t000000\t21.00\t○\t○\t○\t○\t-107.9\n"
              "000000\t767676\t4.62\t○\t○\t×\t○\t32.5\n"
              "767676\t000000\t4.62\t○\t○\t×\t○\t-30.1\n"
              "FFFFFF\t767676\t4.54\t○\t○\t×\t○\t-77.0\n"
              "767676\tFFFFFF\t4.54\t○\t○\t×\t○\t71.6\n");
    const std::string csv = velmira::ContrastTableCsv(rows);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n", csv.find("\r\n") + 2) + 2),
              "文字,背景,コントラスト比,AA 通常,AA 大,AAA 通常,AAA 大,APCA Lc\r\n000000,FFFFFF,21.00,yes,yes,yes,yes,106.0\r\n");
    EXPECT_TRUE(velmira::ContrastTableRows({Hex(0x123456), Hex(0x123456)}).empty());
}

TEST(SampleStats, MeanRoundsHalfUpPerChannelAndTheExtremesGoByLuminance) {
    // Red 1 and 2 give 1.5, up to 2; green 0 and 255 give 127.5, up to 128; blue 10, 11, 10 give 10.33, down.
    EXPECT_EQ(HexOf(velmira::MeanColour({Hex(0x01000A), Hex(0x02FF0B), Hex(0x01000A), Hex(0x02FF0B)})), "02800B");
    EXPECT_EQ(HexOf(velmira::MeanColour({Hex(0x00000A), Hex(0x00000B), Hex(0x00000A)})), "00000A");
    const std::vector<Rgb> square = {Hex(0x808080), Hex(0x202020), Hex(0x0000FF), Hex(0xF0F0F0)};
    const velmira::SquareSample sample = velmira::SampleOf(square);
    EXPECT_EQ(HexOf(sample.mean), "6464A4");
    EXPECT_EQ(HexOf(sample.darkest), "202020");  // pure blue has a luminance of 0.0722, this grey 0.0144
    EXPECT_EQ(HexOf(sample.lightest), "F0F0F0");
    EXPECT_EQ(HexOf(velmira::StrongestAgainst(square, {Hex(0xFFFFFF)})), "202020");
    EXPECT_EQ(HexOf(velmira::StrongestAgainst(square, {Hex(0x000000)})), "F0F0F0");
    EXPECT_EQ(HexOf(velmira::SampleOf({Hex(0xFFFFFF), Hex(0xFFFFFF)}).darkest), "FFFFFF");
    EXPECT_EQ(HexOf(velmira::ColoursOf({0x123456u}).at(0)), "123456") << "a captured pixel is 0x00RRGGBB";
}

TEST(VisionDeficiency, MatchesPublishedSimulatedColours) {
    // Machado 2009 at full severity in linear sRGB, as published in the tests of the Unicolour library
    // (waacton/Unicolour, Unicolour.Tests/VisionDeficiencyTests.cs), which allow 1 (tritanopia 2) per channel.
    const struct {
        Vision vision;
        std::uint32_t colour;
        int red, green, blue, tolerance;
    } cases[] = {
        {Vision::Protanopia, 0xFF0000, 109, 95, 0, 1},     {Vision::Protanopia, 0x00FF00, 255, 229, 0, 1},
        {Vision::Protanopia, 0x0000FF, 0, 88, 255, 1},     {Vision::Protanopia, 0xFF00FF, 0, 128, 255, 1},
        {Vision::Deuteranopia, 0xFF0000, 163, 144, 0, 1},  {Vision::Deuteranopia, 0x00FF00, 239, 214, 59, 1},
        {Vision::Deuteranopia, 0x0000FF, 0, 61, 251, 1},   {Vision::Deuteranopia, 0xFF00FF, 104, 155, 250, 1},
        {Vision::Tritanopia, 0xFF0000, 255, 0, 13, 2},     {Vision::Tritanopia, 0x00FF00, 0, 247, 216, 2},
        {Vision::Tritanopia, 0x0000FF, 0, 108, 150, 2},    {Vision::Tritanopia, 0xFF00FF, 255, 75, 151, 2},
        {Vision::Deuteranopia, 0xFFFFFF, 255, 255, 255, 0}, {Vision::Tritanopia, 0x000000, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const Rgb seen = velmira::SimulateVision(c.vision, Hex(c.colour));
        SCOPED_TRACE(testing::Message() << velmira::VisionName(c.vision) << " " << std::hex << c.colour);
        EXPECT_NEAR(seen.red, c.red, c.tolerance);
        EXPECT_NEAR(seen.green, c.green, c.tolerance);
        EXPECT_NEAR(seen.blue, c.blue, c.tolerance);
    }
}

TEST(Oklab, MatchesThePublishedCoordinatesOfRed) {
    // CSS Color 4 and Ottosson's reference conversion give #FF0000 as oklab(0.62796 0.22486 0.12585).
    const velmira::Oklab red = velmira::OklabOf(Hex(0xFF0000));
    EXPECT_NEAR(red.l, 0.627955, 1e-5);
    EXPECT_NEAR(red.a, 0.224863, 1e-5);
    EXPECT_NEAR(red.b, 0.125846, 1e-5);
}

// Every colour of the grid (and of the answer's neighbourhood) that keeps the hue and passes is at least
// as far from the original as the answer. The margin is for the 32-bit Windows build, whose x87 registers
// carry more precision than a stored double: the answer's own distance can come out a unit in the last
// place apart.
void ExpectNoNearerPassingColour(Rgb original, Rgb fixed, double level, const velmira::PassingColour& found) {
    const velmira::Oklab target = velmira::OklabOf(original);
    std::vector<Rgb> candidates;
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 15)
            for (int b = 0; b < 256; b += 15)
                candidates.push_back(Rgb{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                         static_cast<std::uint8_t>(b)});
    for (int dr = -2; dr <= 2; ++dr)
        for (int dg = -2; dg <= 2; ++dg)
            for (int db = -2; db <= 2; ++db) {
                const int r = found.colour.red + dr, g = found.colour.green + dg, b = found.colour.blue + db;
                if (r >= 0 && r < 256 && g >= 0 && g < 256 && b >= 0 && b < 256)
                    candidates.push_back(Rgb{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                             static_cast<std::uint8_t>(b)});
            }
    for (const Rgb c : candidates) {
        if (velmira::ContrastRatio(c, fixed) < level || !velmira::KeepsHue(original, c)) continue;
        ASSERT_GE(velmira::OklabDistance(velmira::OklabOf(c), target) + 1e-12, found.distance) << HexOf(c);
    }
}

TEST(NearestPassingColour, PassesKeepsTheHueAndHasNoNearerPassingColour) {
    const struct {
        std::uint32_t original, fixed;
        double level;
    } cases[] = {
        {0x3399FF, 0xFFFFFF, velmira::kAaNormal},  // must get darker
        {0x3399FF, 0xFFFFFF, velmira::kAaaNormal},
        {0x222E00, 0x0455CA, velmira::kAaNormal},  // a dark olive that must get much lighter
        {0x020400, 0x715173, velmira::kAaNormal},  // nearly black
        {0xE52624, 0x3299D3, velmira::kAaNormal},  // a background against its text
        {0x909090, 0xFFFFFF, velmira::kAaNormal},  // a grey stays grey
        {0xC0C0C0, 0x808080, velmira::kAaNormal},
        {0xFFFF00, 0xFFFFFF, velmira::kAaaNormal},
        {0x008105, 0x110B18, velmira::kAaNormal},   // lighter, with no red
        {0xED7E00, 0x0B0C1F, velmira::kAaaNormal},  // lighter, with no blue
    };
    for (const auto& c : cases) {
        const Rgb original = Hex(c.original), fixed = Hex(c.fixed);
        SCOPED_TRACE(HexOf(original) + " against " + HexOf(fixed));
        const velmira::PassingColour found = velmira::NearestPassingColour(original, fixed, c.level);
        ASSERT_TRUE(found.possible);
        EXPECT_GE(velmira::ContrastRatio(found.colour, fixed), c.level) << HexOf(found.colour);
        EXPECT_TRUE(velmira::KeepsHue(original, found.colour)) << HexOf(found.colour);
        EXPECT_GT(found.distance, 0);
        ExpectNoNearerPassingColour(original, fixed, c.level, found);
        EXPECT_LT(found.boxesOpened, 10000u) << "the bounds prune the search (about 2,500 at most here)";
    }
    // A grey stays grey, and only a grey is one: #767676 is the lightest grey that meets AA on white.
    EXPECT_EQ(HexOf(velmira::NearestPassingColour(Hex(0x909090), Hex(0xFFFFFF), velmira::kAaNormal).colour), "767676");
    EXPECT_FALSE(velmira::KeepsHue(Hex(0x909090), Hex(0x907070)));
    const velmira::PassingColour unchanged = velmira::NearestPassingColour(Hex(0x000000), Hex(0xFFFFFF), 7.0);
    EXPECT_EQ(HexOf(unchanged.colour), "000000");
    EXPECT_EQ(unchanged.distance, 0);
}

TEST(NearestPassingColour, ALevelNoColourReachesIsReportedWithTheBestRatio) {
    // Against #777777 black reaches 4.69:1 and white 4.48:1: AA can be met, AAA cannot.
    const Rgb grey = Hex(0x777777);
    const velmira::PassingColour aaa =
        velmira::NearestPassingColour(Hex(0x3399FF), grey, velmira::ContrastTarget::Aaa);
    EXPECT_FALSE(aaa.possible);
    EXPECT_EQ(HexOf(aaa.colour), "3399FF");
    EXPECT_DOUBLE_EQ(aaa.bestRatio, velmira::ContrastRatio(Hex(0x000000), grey));
    EXPECT_FALSE(velmira::Reachable(velmira::ContrastTarget::Aaa, grey));
    EXPECT_EQ(velmira::AdjustItemText(velmira::AdjustedColour::Background, velmira::ContrastTarget::Aaa, grey),
              "背景色を AAA (7:1) に合わせる(&4) - 不可: 文字色に対して白でも黒でも最大 " +
                  velmira::RatioText(aaa.bestRatio));

    // Black reaches 6.9956:1 against #7AA200: shown rounded it would read as the 7:1 it misses.
    EXPECT_EQ(velmira::AdjustItemText(velmira::AdjustedColour::Text, velmira::ContrastTarget::Aaa, Hex(0x7AA200)),
              "文字色を AAA (7:1) に合わせる(&2) - 不可: 背景色に対して白でも黒でも最大 6.99:1");

    const velmira::PassingColour aa =
        velmira::NearestPassingColour(Hex(0x3399FF), grey, velmira::ContrastTarget::Aa);
    EXPECT_TRUE(aa.possible);
    EXPECT_TRUE(velmira::Reachable(velmira::ContrastTarget::Aa, grey));
    EXPECT_EQ(velmira::AdjustItemText(velmira::AdjustedColour::Text, velmira::ContrastTarget::Aa, grey),
              "文字色を AA (4.5:1) に合わせる(&1)");
}

TEST(NearestPassingColour, OverAPictureMeetsTheLevelAgainstEveryPixel) {
    const Rgb blue = Hex(0x3399FF), white = Hex(0xFFFFFF);
    // A picture of one colour asks what that colour asks.
    EXPECT_EQ(HexOf(velmira::NearestPassingOver(blue, {white, white}, velmira::ContrastTarget::Aa).colour),
              HexOf(velmira::NearestPassingColour(blue, white, velmira::ContrastTarget::Aa).colour));

    // Against white alone the answer is a mid blue, which #767676 under the text would all but hide: the text
    // must become darker than the darker pixel by the level.
    const std::vector<Rgb> pixels{white, Hex(0x767676)};
    const velmira::PassingColour over = velmira::NearestPassingOver(blue, pixels, velmira::ContrastTarget::Aa);
    ASSERT_TRUE(over.possible);
    for (const Rgb pixel : pixels) EXPECT_GE(velmira::ContrastRatio(over.colour, pixel), 4.5) << HexOf(over.colour);
    EXPECT_DOUBLE_EQ(over.ratio, velmira::ContrastRatio(over.colour, Hex(0x767676)));
    EXPECT_TRUE(velmira::KeepsHue(blue, over.colour)) << HexOf(over.colour);
    const Rgb againstWhite = velmira::NearestPassingColour(blue, white, velmira::ContrastTarget::Aa).colour;
    EXPECT_NE(HexOf(over.colour), HexOf(againstWhite));
    EXPECT_TRUE(velmira::ReachableOver(velmira::ContrastTarget::Aa, pixels));

    // Black and white under the text: neither white nor black is better than 1:1 against both.
    const std::vector<Rgb> both{Hex(0x000000), white};
    EXPECT_FALSE(velmira::NearestPassingOver(blue, both, velmira::ContrastTarget::Aa).possible);
    EXPECT_FALSE(velmira::ReachableOver(velmira::ContrastTarget::Aa, both));
    EXPECT_EQ(velmira::AdjustTextOverPictureItemText(velmira::ContrastTarget::Aa, both),
              "文字色を AA (4.5:1) に合わせる(&1) - 不可: 画像に対して白でも黒でも最低 1.00:1");
}

TEST(PreviewMenuItems, OverAPictureOnlyTheTextColourAndTheCopyStayAvailable) {
    using velmira::PreviewCommand;
    const struct {
        PreviewCommand command;
        const char* pairText;
        bool pairEnabled;
        const char* pictureText;
        bool pictureEnabled;
    } expected[] = {
        // Against #777777 black reaches 4.69:1: AA can be met, AAA cannot. Over a mid-grey picture likewise.
        {PreviewCommand::TextAa, "文字色を AA (4.5:1) に合わせる(&1)", true,
         "文字色を AA (4.5:1) に合わせる(&1)", true},
        {PreviewCommand::TextAaa,
         "文字色を AAA (7:1) に合わせる(&2) - 不可: 背景色に対して白でも黒でも最大 4.69:1", false,
         "文字色を AAA (7:1) に合わせる(&2) - 不可: 画像に対して白でも黒でも最低 4.69:1", false},
        {PreviewCommand::BackgroundAa, "背景色を AA (4.5:1) に合わせる(&3)", true,
         "背景色を AA (4.5:1) に合わせる(&3) - 不可: 背景に画像を使用中", false},
        {PreviewCommand::BackgroundAaa, "背景色を AAA (7:1) に合わせる(&4)", true,
         "背景色を AAA (7:1) に合わせる(&4) - 不可: 背景に画像を使用中", false},
        {PreviewCommand::Swap, "文字色と背景色を入れ替える(&S)", true,
         "文字色と背景色を入れ替える(&S) - 不可: 背景に画像を使用中", false},
        {PreviewCommand::CopyCss, "CSS としてコピー(&C)", true, "CSS としてコピー(&C)", true},
    };
    const std::vector<Rgb> picture{Hex(0x777777), Hex(0x777777)};
    const auto pair = velmira::PreviewMenuItems(Hex(0x000000), Hex(0x777777), nullptr);
    const auto over = velmira::PreviewMenuItems(Hex(0x000000), Hex(0xFFFFFF), &picture);
    ASSERT_EQ(pair.size(), std::size(expected));
    ASSERT_EQ(over.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].pairText);
        EXPECT_EQ(pair[i].command, expected[i].command);
        EXPECT_EQ(pair[i].text, expected[i].pairText);
        EXPECT_EQ(pair[i].enabled, expected[i].pairEnabled);
        EXPECT_EQ(over[i].command, expected[i].command);
        EXPECT_EQ(over[i].text, expected[i].pictureText);
        EXPECT_EQ(over[i].enabled, expected[i].pictureEnabled);
    }
}

TEST(ContrastTipContent, AddsApcaAndTheVisionsAfterTheWcagLines) {
    // Red on green: the visions see very different pairs, so one of them is the worst.
    const Rgb text = Hex(0xCC0000), background = Hex(0x00AA00);
    const velmira::ContrastTipContent pair = velmira::PairTipContent(text, background);
    const std::string wcag = velmira::ColourPairTipText(text, background);
    ASSERT_EQ(pair.text.compare(0, wcag.size(), wcag), 0);
    const double lc = velmira::ApcaContrast(text, background);
    std::string expected = wcag + "\nAPCA " + velmira::LcText(lc) + " → " +
                           velmira::ApcaUseText(velmira::ApcaUseOf(lc));
    ASSERT_EQ(pair.visions.size(), 3u);
    int marked = 0;
    for (const velmira::VisionSample& v : pair.visions) {
        EXPECT_EQ(HexOf(v.text), HexOf(velmira::SimulateVision(v.vision, text)));
        EXPECT_EQ(HexOf(v.background), HexOf(velmira::SimulateVision(v.vision, background)));
        for (const velmira::VisionSample& other : pair.visions) EXPECT_TRUE(!v.worst || v.ratio <= other.ratio);
        marked += v.worst;
        expected += std::string("\n") + velmira::VisionName(v.vision) + " " + velmira::RatioText(v.ratio) + " / " +
                    velmira::LcText(v.lc) + (v.worst ? " ← 最も低い" : "");
    }
    EXPECT_EQ(marked, 1);
    EXPECT_EQ(pair.text, expected);

    // Over a picture each vision's sample is the pixel it sees with the lowest ratio: blue for most,
    // red for protanopia, which darkens red more than blue.
    const std::vector<Rgb> pixels{Hex(0xFFFFFF), Hex(0xFF0000), Hex(0x0000FF)};
    const velmira::ContrastTipContent picture = velmira::PictureTipContent(Hex(0x000000), pixels);
    ASSERT_EQ(picture.visions.size(), 3u);
    for (const velmira::VisionSample& v : picture.visions) {
        Rgb lowest = pixels[0];
        for (const Rgb p : pixels)
            if (velmira::ContrastRatio(v.text, velmira::SimulateVision(v.vision, p)) <
                velmira::ContrastRatio(v.text, velmira::SimulateVision(v.vision, lowest)))
                lowest = p;
        EXPECT_EQ(HexOf(v.background), HexOf(velmira::SimulateVision(v.vision, lowest)));
        EXPECT_DOUBLE_EQ(v.ratio, velmira::ContrastRatio(v.text, v.background));
    }
    EXPECT_EQ(velmira::PictureTipContent(Hex(0x000000), {}).text,
              velmira::PictureTipText(velmira::PictureContrastOf(Hex(0x000000), {})));
    // The text sizes are judged by the pair's figures, and over a picture by the worst of each; with no pixel
    // under the text, not at all.
    EXPECT_TRUE(pair.judged);
    EXPECT_DOUBLE_EQ(pair.lc, lc);
    EXPECT_TRUE(picture.judged);
    EXPECT_DOUBLE_EQ(picture.ratio, velmira::PictureContrastOf(Hex(0x000000), pixels).worst);
    EXPECT_DOUBLE_EQ(picture.lc, velmira::WorstApcaContrastOver(Hex(0x000000), pixels));
    EXPECT_FALSE(velmira::PictureTipContent(Hex(0x000000), {}).judged);

    // The one-line summary: the ratio, the highest level it meets, the Lc; over a picture the worst of each.
    struct Summary {
        std::uint32_t text, background;
        const char* start;
    };
    const Summary summaries[] = {
        {0x000000, 0xFFFFFF, "21.00:1 AAA, "},
        {0x767676, 0xFFFFFF, "4.54:1 AA, "},
        {0x949494, 0xFFFFFF, "3.03:1 AA 大きな文字のみ, "},
        {0xFFFFFF, 0xCCCCCC, "1.61:1 基準未満, "},
    };
    for (const Summary& c : summaries) {
        const double pairLc = velmira::ApcaContrast(Hex(c.text), Hex(c.background));
        EXPECT_EQ(velmira::PairTipContent(Hex(c.text), Hex(c.background)).summary,
                  c.start + velmira::LcText(pairLc));
    }
    EXPECT_EQ(velmira::PairTipContent(Hex(0x000000), Hex(0xFFFFFF)).summary, "21.00:1 AAA, Lc 106.0");
    // Black text is darker than every pixel, so every Lc is positive and the worst is the smallest, over blue.
    const double worstLc = std::min({velmira::ApcaContrast(Hex(0x000000), Hex(0xFFFFFF)),
                                     velmira::ApcaContrast(Hex(0x000000), Hex(0xFF0000)),
                                     velmira::ApcaContrast(Hex(0x000000), Hex(0x0000FF))});
    EXPECT_EQ(picture.summary, "最低 " + velmira::RatioText(velmira::ContrastRatio(Hex(0x000000), Hex(0x0000FF))) +
                                   " 基準未満, " + velmira::LcText(worstLc));
    EXPECT_EQ(velmira::PictureTipContent(Hex(0x000000), {}).summary, "文字の下に画素がありません");
}

TEST(CssText, WritesBothColoursAsUpperCaseHex) {
    EXPECT_EQ(velmira::CssText(Hex(0x1A2B3C), Hex(0xFFFFFF)), "color: #1A2B3C; background-color: #FFFFFF;");
}

}  // namespace
