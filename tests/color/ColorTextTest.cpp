#include <gtest/gtest.h>

#include "color/ColorText.h"
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
