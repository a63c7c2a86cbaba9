#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "color/ColorSpaces.h"
#include "color/ColorText.h"
#include "color/CopyFormats.h"
#include "color/CssColor.h"
#include "color/PairHistory.h"
#include "text/ChannelText.h"

namespace {

TEST(ChannelValue, ReadsHexadecimalInEitherCaseAndKeepsTheLowByte) {
    struct Case {
        const char* channel;
        std::int32_t value;
    } cases[] = {{"FF", 255}, {"ff", 255}, {"7", 7}, {"f", 15}, {"12C", 44}, {"FFFFFFFF", 255}, {"80", 128},
                 {"", 0},     {"  ", 0},   {"-1", 0}, {"$1", 0}, {"GH", 0},  {"1FF", 255},      {"FFFFFFFFF", 0}};
    for (const Case& c : cases) EXPECT_EQ(velmira::ChannelValue(c.channel), c.value) << c.channel;
}

TEST(ChannelStringFromDecimal, WritesAtLeastTwoUpperCaseDigitsOfTheWholeNumber) {
    struct Case {
        const char* typed;
        const char* channel;
    } cases[] = {{"44", "2C"},  {"300", "12C"}, {"-1", "FFFFFFFF"}, {"", "00"},     {"-", "00"},
                 {"$", "00"},   {"007", "07"},  {"$1F", "1F"},      {"0x1F", "1F"}, {"12 ", "00"},
                 {"255", "FF"}, {"+5", "05"},   {"abc", "00"}};
    for (const Case& c : cases) EXPECT_EQ(velmira::ChannelStringFromDecimal(c.typed), c.channel) << c.typed;
}

TEST(HexStringOf, JoinsTheChannelStringsInUpperCase) {
    EXPECT_EQ(velmira::HexStringOf("ff", "80", "00"), "FF8000");
    EXPECT_EQ(velmira::HexStringOf("f", "00", "00"), "F0000");
    EXPECT_EQ(velmira::HexStringOf("12C", "00", "00"), "12C0000");
    EXPECT_EQ(velmira::HexStringOf("gh", "ij", "kl"), "GHIJKL");
}

TEST(UpperCaseText, LeavesTheTrailBytesOfDoubleByteCharactersAlone) {
    // 0x83 0x61 is a katakana whose trail byte is "a"; it must not become 0x83 0x41.
    const std::string text = "\x83\x61" "a";
    EXPECT_EQ(velmira::UpperCaseText(text), "\x83\x61" "A");
}

TEST(PackColor, PutsRedInTheLowByte) {
    EXPECT_EQ(velmira::PackColor(255, 128, 0), 0x000080FFu);
    EXPECT_EQ(velmira::PackColor(0x12, 0xAB, 0x0C), 0x000CAB12u);
}

TEST(DecimalText, HasNoLeadingZeros) {
    EXPECT_EQ(velmira::DecimalText(7), "7");
    EXPECT_EQ(velmira::DecimalText(0), "0");
    EXPECT_EQ(velmira::DecimalText(255), "255");
}

}  // namespace

namespace {

std::string Hex6(velmira::Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", c.red, c.green, c.blue);
    return text;
}

TEST(ReadCssColour, GivesTheColourThatCssColor4AndPublishedConversionsGive) {
    // Expected values: CSS Color 4's own examples and rules (clamping, hwb's grey, none, lightness beyond white);
    // the sRGB that other parsers' published tests give for CSS Color 4's lab(), lch(), oklab() and oklch()
    // examples (colord's for lab), Tailwind's zinc scale, and color.js's tests of CSS Color 4's gamut mapping for
    // the display-p3 primaries. With alpha below 1 the last column is the colour drawn over white as a browser
    // draws it, in 8-bit steps: 0.5 is 128/255.
    struct Case {
        const char* text;
        const char* colour;
        int alpha;
        const char* overWhite;
    } cases[] = {
        {"#FF8000", "FF8000", 255, "FF8000"},
        {"#f80", "FF8800", 255, "FF8800"},
        {"#0000ff80", "0000FF", 128, "7F7FFF"},
        {"#0F08", "00FF00", 136, "77FF77"},
        {"rgb(255 128 0)", "FF8000", 255, "FF8000"},
        {"rgb(100%, 50%, 0%)", "FF8000", 255, "FF8000"},
        {"rgba(255, 0, 0, 0.5)", "FF0000", 128, "FF7F7F"},
        {"rgb(300, -20, 12.4)", "FF000C", 255, "FF000C"},
        {"rgb(none 255 0 / 0%)", "00FF00", 0, "FFFFFF"},
        {"RGB(18, 171, 12)", "12AB0C", 255, "12AB0C"},
        {"$000CAB12", "12AB0C", 255, "12AB0C"},
        {"hsl(120deg 100% 25%)", "008000", 255, "008000"},
        {"hsla(120, 100%, 25%, 50%)", "008000", 128, "7FBF7F"},
        {"HSL(0.5TURN 100% 50%)", "00FFFF", 255, "00FFFF"},
        {"hsl(200grad 100% 50%)", "00FFFF", 255, "00FFFF"},
        {"hsl(3.14159265rad 100% 50%)", "00FFFF", 255, "00FFFF"},
        {"hsl(none 100% 50%)", "FF0000", 255, "FF0000"},
        {"hwb(120 0% 49.8039%)", "008000", 255, "008000"},
        {"hwb(0 60% 60%)", "808080", 255, "808080"},
        {"lab(29.2345% 39.3825 20.0664)", "7D2329", 255, "7D2329"},
        {"lab(67.5345% -8.6911 -41.6019)", "62ACEF", 255, "62ACEF"},
        {"lch(29.2345% 44.2 27)", "7D2329", 255, "7D2329"},
        {"oklch(59.69% 0.156 49.77)", "C65D07", 255, "C65D07"},
        {"oklab(59.686% 0.1009 0.1192)", "C65D07", 255, "C65D07"},
        {"oklch(21% 0.006 285.885)", "18181B", 255, "18181B"},
        {"color(srgb 1 0.5 0)", "FF8000", 255, "FF8000"},
        {"color(srgb-linear 1 0.2158605 0)", "FF8000", 255, "FF8000"},
        {"color(display-p3 1 0 0)", "FF0B0C", 255, "FF0B0C"},
        {"color(display-p3 0 1 0)", "00FB29", 255, "00FB29"},
        {"color(display-p3 1 0 1)", "FF2BFB", 255, "FF2BFB"},
        {"color(display-p3 2 0 1)", "FFFFFF", 255, "FFFFFF"},
        {"oklch(1.2 0.4 30)", "FFFFFF", 255, "FFFFFF"},
        {"oklch(0 0.3 120)", "000000", 255, "000000"},
        {"RebeccaPurple", "663399", 255, "663399"},
        {" \ttomato\r\n", "FF6347", 255, "FF6347"},
        {"transparent", "000000", 0, "FFFFFF"},
        // CSS Color 4 as written, colorjs.io's results: hues reduced modulo 360 first, hwb normalised before any
        // clamping, saturation clamped only below 0%, hsl and hwb beyond sRGB gamut mapped, the color() spaces.
        {"hsl(1234567 100% 50%)", "00FF1E", 255, "00FF1E"},
        {"hsl(-120 100% 50%)", "0000FF", 255, "0000FF"},
        {"hsl(1turn 100% 50%)", "FF0000", 255, "FF0000"},
        {"hwb(120 120% 30%)", "CCCCCC", 255, "CCCCCC"},
        {"hwb(none 20% 40%)", "993333", 255, "993333"},
        {"hwb(none 20% 30%)", "B33333", 255, "B33333"},  // 178.5 exactly: rounds up
        {"hwb(120 20% 40)", "339933", 255, "339933"},
        {"color( srgb 1 0.5 0)", "FF8000", 255, "FF8000"},
        {"hwb(200 -20% 10%)", "0088E6", 255, "0088E6"},
        {"hsl(0 150% 30%)", "B90000", 255, "B90000"},
        {"hsl(0 150 30)", "B90000", 255, "B90000"},
        {"hsl(200 -50% 40%)", "666666", 255, "666666"},
        {"hsl(30 100% 120%)", "FFFFFF", 255, "FFFFFF"},
        {"color(a98-rgb 0.4 0.6 0.2)", "439A22", 255, "439A22"},
        {"color(a98-rgb 1 0 0)", "FF5A48", 255, "FF5A48"},
        {"color(prophoto-rgb 0.5 0.3 0.1)", "BB4E00", 255, "BB4E00"},
        {"color(prophoto-rgb 0.01 0.02 0.03)", "000507", 255, "000507"},
        {"color(prophoto-rgb 0.03 0.025 0.028)", "070506", 255, "070506"},
        {"lab(4 10 -10)", "19071D", 255, "19071D"},
        {"lab(2 -8 6)", "010900", 255, "010900"},
        {"color(rec2020 0.2 0.6 0.3)", "009050", 255, "009050"},
        {"color(rec2020 1 0 0)", "FF494F", 255, "FF494F"},
        {"color(xyz 0.2 0.3 0.4)", "00A7A4", 255, "00A7A4"},
        {"color(xyz-d65 0.2 0.3 0.4)", "00A7A4", 255, "00A7A4"},
        {"color(xyz-d50 50% 40% 10%)", "F09052", 255, "F09052"},
        // CSS Syntax: the end of the text closes a function, comments fall between tokens, 1e1 is 10.
        {"rgb(255 128 0", "FF8000", 255, "FF8000"},
        {"hsl(120 100% 25% / 0.5", "008000", 128, "7FBF7F"},
        {"rgb(1/**/2 3)", "010203", 255, "010203"},
        {"/* brand */ rgb(1e1 0 0) /* */", "0A0000", 255, "0A0000"},
        {"rgb(1/*/x*/2 3)", "010203", 255, "010203"},
        {"rgb(2550000000000e-10 0 0)", "FF0000", 255, "FF0000"},
        {"oklab(0.5 none none)", "636363", 255, "636363"},
        {"lab(none 20 30)", "000000", 255, "000000"},
    };
    for (const Case& c : cases) {
        const std::optional<velmira::RgbaColour> read = velmira::ReadCssColour(c.text);
        ASSERT_TRUE(read) << c.text;
        EXPECT_EQ(Hex6(read->rgb), c.colour) << c.text;
        EXPECT_EQ(read->alpha, c.alpha) << c.text;
        EXPECT_EQ(Hex6(velmira::Over(*read, velmira::Rgb{255, 255, 255})), c.overWhite) << c.text;
    }
}

TEST(PastedCssColour, TakesTheOneColourOutOfItsContext) {
    for (const char* text :
         {"#ff8000;", "#FF8000 !important", "'#ff8000'", "\"#ff8000\",", "`#ff8000`", "color: #ff8000;",
          "  background-color:#FF8000 ! IMPORTANT ;\r\n", "--brand: rgb(255 128 0);", "brand: '#ff8000',",
          "\"brand\": \"#ff8000\"", "--brand: hsl(30.1 100% 50%)"}) {
        const std::optional<velmira::RgbaColour> pasted = velmira::PastedCssColour(text);
        ASSERT_TRUE(pasted) << text;
        EXPECT_EQ(Hex6(pasted->rgb), "FF8000") << text;
        EXPECT_FALSE(velmira::ReadCssColour(text)) << "a colour text is the colour alone: " << text;
    }
}

TEST(PastedCssColour, TextsWithNoColourOrMoreThanOneAreLeftToTheEdit) {
    for (const char* text :
         {"FF8000", "ff8000", "12", "-1", "$1F", "0x1F", "", "  ", "#FF800", "#12345;", "#GGGGGG", "red blue",
          "color: red; background: blue", "redd", "rgb(1, 2 3)", "rgb(1 2)", "rgb(1, 2, 3, 4, 5)",
          "rgb(10%, 20, 30)", "rgb(none, 0, 0)", "rgba(255, 0, 0, none)", "hsla(120, 100%, 50%, none)",
          "rgb(1 2 3 / 1deg)", "rgb(1 2 3 / 50% / 1)", "rgb(1 2 3 / )", "rgb(1 2 3 /", "hsl(120, 100, 50)",
          "hwb(120, 0%, 0%)", "lch(29% 44 27%)", "color(rec2021 1 0 0)", "$01FFFFFF", "$FF8000", "1e3",
          "rgb(1e 2 3)", "color: ;", "'#ff8000", "url(#ff8000)", "x = #ff8000;", "hsl(120, 50, 50%)",
          "lab(50 20 30deg)", "rgb(1, 2, 3 / 0.5)"})
        EXPECT_FALSE(velmira::PastedCssColour(text)) << text;
}

TEST(FirstCssColourIn, FindsTheFirstColourThatStandsOnItsOwn) {
    struct Case {
        const char* line;
        const char* colour;  // null: none
    } cases[] = {{"  --velmira-1: #FF8000;", "FF8000"},   {"color: red; background: blue", "FF0000"},
                 {"--tan-border: 1px solid rgb(1 2 3)", "010203"}, {"#12345z #00ff00", "00FF00"},
                 {"redd bluee", nullptr},                   {":root {", nullptr},
                 {"--x: color-mix(in srgb, var(--a), blue) red", "FF0000"}};
    for (const Case& c : cases) {
        const std::optional<velmira::RgbaColour> found = velmira::FirstCssColourIn(c.line);
        ASSERT_EQ(found.has_value(), c.colour != nullptr) << c.line;
        if (found) {
            EXPECT_EQ(Hex6(found->rgb), c.colour) << c.line;
        }
    }
}

TEST(CopyFormats, EveryFormatReadsBackAsTheSameColour) {
    const std::vector<velmira::CopyFormat> formats = velmira::CopyFormatsOf(velmira::Rgb{0x12, 0xAB, 0x0C});
    ASSERT_EQ(formats.size(), 6u);
    EXPECT_EQ(formats[0].text, "#12AB0C");
    EXPECT_EQ(formats[1].text, "rgb(18, 171, 12)");
    EXPECT_EQ(formats[4].text, "RGB(18, 171, 12)");
    EXPECT_EQ(formats[5].text, "$000CAB12");
    // Each number as few decimals as keep every channel within 0.1 of the colour (a grey's oklch() too: 0.54
    // would be 6E6F6F to a browser; hsl(50.2, 100%, 65%) is FFE24C).
    struct Case {
        velmira::Rgb colour;
        const char* hsl;
        const char* oklch;
    } cases[] = {
        {{0x12, 0xAB, 0x0C}, "hsl(117.7, 86.9%, 35.9%)", "oklch(0.6438 0.2145 142.38)"},
        {{0x6F, 0x6F, 0x6F}, "hsl(0, 0%, 43.5%)", "oklch(0.542 0 0)"},
        {{0x00, 0x00, 0xFF}, "hsl(240, 100%, 50%)", "oklch(0.452 0.3132 264.05)"},
        {{0xFF, 0xE2, 0x4D}, "hsl(50.2, 100%, 65.1%)", "oklch(0.9115 0.1636 98)"},
        {{0xFF, 0xFF, 0xFF}, "hsl(0, 0%, 100%)", "oklch(1 0 0)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(velmira::HslText(c.colour), c.hsl);
        EXPECT_EQ(velmira::OklchText(c.colour), c.oklch);
    }

    // Every 15th value of each channel with both ends, and pseudo-random colours in between.
    std::vector<velmira::Rgb> colours;
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 15)
            for (int b = 0; b < 256; b += 15)
                colours.push_back(velmira::Rgb{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                               static_cast<std::uint8_t>(b)});
    std::uint32_t seed = 12345;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        colours.push_back(velmira::Rgb{static_cast<std::uint8_t>(seed >> 24), static_cast<std::uint8_t>(seed >> 16),
                                       static_cast<std::uint8_t>(seed >> 8)});
    }
    for (const velmira::Rgb colour : colours)
        for (const velmira::CopyFormat& format : velmira::CopyFormatsOf(colour)) {
            const std::optional<velmira::RgbaColour> read = velmira::ReadCssColour(format.text);
            ASSERT_TRUE(read && read->alpha == 255 && read->rgb == colour) << Hex6(colour) << " " << format.text;
        }
}

#ifdef _WIN32
// Under the emulator the same arithmetic over every 61st colour; the native build sweeps them all.
constexpr std::uint32_t kStep = 61;
#else
constexpr std::uint32_t kStep = 1;
#endif

// Every 8-bit colour: the exact value of the numbers of its hsl() and oklch() copies (as the reader converts
// them) lies within 0.1 of each channel, so that any reader's float arithmetic rounds to the colour copied.
TEST(CopyFormats, EveryColourCopiesWithinATenthOfEachChannel) {
    auto worstOf = [](std::uint32_t first, std::uint32_t end, std::pair<double, std::string>& worst) {
        auto check = [&](const velmira::Triple& encoded, velmira::Rgb colour, const char* form) {
            const int channels[3] = {colour.red, colour.green, colour.blue};
            for (int i = 0; i < 3; ++i) {
                const double off = std::fabs(encoded[i] * 255 - channels[i]);
                if (!(off <= worst.first)) worst = {off, Hex6(colour) + form};
            }
        };
        for (std::uint32_t packed = first; packed < end; packed += kStep) {
            const velmira::Rgb colour{static_cast<std::uint8_t>(packed >> 16), static_cast<std::uint8_t>(packed >> 8),
                                      static_cast<std::uint8_t>(packed)};
            const velmira::Written hsl = velmira::HslNumbers(colour);
            check(velmira::SrgbOfHsl(hsl[0].Value(), hsl[1].Value() / 100, hsl[2].Value() / 100), colour, " hsl");
            const velmira::Written lch = velmira::OklchNumbers(colour);
            check(velmira::GamutMappedSrgb(velmira::RectangularOfPolar({lch[0].Value(), lch[1].Value(), lch[2].Value()})),
                  colour, " oklch");
        }
    };
    // Two threads, each half of the colours.
    std::pair<double, std::string> worst[2];
    std::thread other(worstOf, 0u, 1u << 23, std::ref(worst[0]));
    worstOf(1u << 23, 1u << 24, worst[1]);
    other.join();
    EXPECT_LE(worst[0].first, 0.1) << worst[0].second;
    EXPECT_LE(worst[1].first, 0.1) << worst[1].second;
}

TEST(OklchOf, MatchesThePublishedCoordinatesOfRed) {
    // CSS Color 4 gives #FF0000 as oklch(62.796% 0.25768 29.2339).
    const velmira::Triple red = velmira::OklchOf(velmira::Rgb{255, 0, 0});
    EXPECT_NEAR(red[0], 0.62796, 1e-5);
    EXPECT_NEAR(red[1], 0.25768, 1e-5);
    EXPECT_NEAR(red[2], 29.2339, 1e-3);
}

TEST(PairHistory, KeepsTwentyPairsNewestFirstEachOnce) {
    velmira::PairHistory history;
    for (int i = 0; i < 25; ++i)
        history.Remember({velmira::Rgb{static_cast<std::uint8_t>(i), 0, 0}, velmira::Rgb{255, 255, 255}});
    history.Remember({velmira::Rgb{10, 0, 0}, velmira::Rgb{255, 255, 255}});  // already there: moves up
    const std::vector<std::string> texts = history.Texts();
    ASSERT_EQ(texts.size(), 20u);
    EXPECT_EQ(texts[0], "0A0000,FFFFFF");
    EXPECT_EQ(texts[1], "180000,FFFFFF");
    EXPECT_EQ(texts[19], "050000,FFFFFF");

    velmira::PairHistory restored;
    restored.Restore({"12ab0c, ffffff", "not a pair", "12AB0C,FFFFFF", "000000,FFFFFF", "FFFFFF,000000,1"});
    ASSERT_EQ(restored.Texts(), (std::vector<std::string>{"12AB0C,FFFFFF", "000000,FFFFFF"}));
    EXPECT_EQ(velmira::PairMenuText(0, restored.Pairs()[0]), "&1  文字 12AB0C / 背景 FFFFFF");
    EXPECT_EQ(velmira::PairMenuText(9, restored.Pairs()[0]).substr(0, 4), "&0  ");
    EXPECT_EQ(velmira::PairMenuText(10, restored.Pairs()[0]).find('&'), std::string::npos);
}

}  // namespace
