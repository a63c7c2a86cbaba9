#include <gtest/gtest.h>

#include "palette/PaletteText.h"

namespace {

TEST(PaletteColorFromText, ReadsRedGreenBlueInPairsAndCountsUnreadablePiecesAsZero) {
    struct Case {
        const char* stored;
        std::uint32_t color;
    } cases[] = {
        {"ffffff", 0xFFFFFFu},   {"FF8000", 0x0080FFu},  {"ab12cd", 0xCD12ABu}, {"AB12CD", 0xCD12ABu},
        {"12ab", 0x00AB12u},     {"12a", 0x000A12u},     {"1", 0x000001u},      {"", 0u},
        {"zzzzzz", 0u},          {"zz8000", 0x008000u},  {"12 456", 0x560012u}, {"-1-1-1", 0u},
        {"FF8000EE", 0x0080FFu}, {"\x83\x61" "8000", 0x008000u},
    };
    for (const Case& c : cases) EXPECT_EQ(velmira::PaletteColorFromText(c.stored), c.color) << c.stored;
}

TEST(PaletteTextOfColor, WritesSixUpperCaseDigitsRedFirst) {
    EXPECT_EQ(velmira::PaletteTextOfColor(0xFFFFFFu), "FFFFFF");
    EXPECT_EQ(velmira::PaletteTextOfColor(0x0080FFu), "FF8000");
    EXPECT_EQ(velmira::PaletteTextOfColor(0x000000u), "000000");
    EXPECT_EQ(velmira::PaletteTextOfColor(0x0A0B0Cu), "0C0B0A");
}

TEST(PaletteText, StoredTextsComeBackNormalised) {
    struct Case {
        const char* stored;
        const char* written;
    } cases[] = {{"ab12cd", "AB12CD"}, {"12ab", "12AB00"}, {"zzzzzz", "000000"}, {"ffffff", "FFFFFF"},
                 {"1", "010000"},      {"", "000000"}};
    for (const Case& c : cases)
        EXPECT_EQ(velmira::PaletteTextOfColor(velmira::PaletteColorFromText(c.stored)), c.written) << c.stored;
}

TEST(PaletteColorOfChannels, ReadsEachChannelWholeAndKeepsItsLowByte) {
    struct Case {
        const char *red, *green, *blue;
        std::uint32_t color;
    } cases[] = {{"FF", "80", "00", 0x0080FFu}, {"f", "1FF", "zz", 0x00FF0Fu}, {"", "", "", 0u},
                 {"12C", "0", "7", 0x07002Cu},  {"ff", "ff", "ff", 0xFFFFFFu}};
    for (const Case& c : cases)
        EXPECT_EQ(velmira::PaletteColorOfChannels(c.red, c.green, c.blue), c.color)
            << c.red << " " << c.green << " " << c.blue;
}

TEST(ChannelStringsOfColor, GivesTwoUpperCaseDigitsPerChannel) {
    const velmira::ChannelStrings channels = velmira::ChannelStringsOfColor(0x0A80FFu);
    EXPECT_EQ(channels.red, "FF");
    EXPECT_EQ(channels.green, "80");
    EXPECT_EQ(channels.blue, "0A");
    const velmira::ChannelStrings normalised =
        velmira::ChannelStringsOfColor(velmira::PaletteColorOfChannels("f", "1FF", "not hex"));
    EXPECT_EQ(normalised.red, "0F");
    EXPECT_EQ(normalised.green, "FF");
    EXPECT_EQ(normalised.blue, "00");
}

TEST(PaletteSlotKey, NumbersTheKeysInDecimalWithoutLeadingZeros) {
    EXPECT_EQ(velmira::PaletteSlotKey(1), "Palllet1");
    EXPECT_EQ(velmira::PaletteSlotKey(7), "Palllet7");
    EXPECT_EQ(velmira::PaletteSlotKey(20), "Palllet20");
}

}  // namespace
