#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "app/SwatchColour.h"
#include "palette/PaletteFile.h"
#include "palette/PaletteFileParts.h"
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

namespace {

// The colours of a file as the program takes them.
std::optional<std::vector<std::uint32_t>> ColoursRead(std::string_view bytes, const char* name) {
    const std::optional<velmira::PaletteContents> contents = velmira::ReadPalette(bytes, name);
    if (!contents) return std::nullopt;
    std::vector<std::uint32_t> colours;
    for (const velmira::Swatch& swatch : contents->swatches)
        if (const std::optional<std::uint32_t> colour = velmira::ColourOfSwatch(swatch)) colours.push_back(*colour);
    return colours;
}

TEST(PaletteFile, EachFormatGivesBackTheTwentyColoursItWrote) {
    std::vector<std::uint32_t> colours;
    std::uint32_t seed = 7;
    for (int i = 0; i < 20; ++i) colours.push_back((seed = seed * 1664525u + 1013904223u) >> 8);
    colours[0] = 0x000000;
    colours[1] = 0xFFFFFF;
    for (const char* name : {"p.gpl", "p.ase", "p.aco", "p.css", "p.txt"}) {
        const std::optional<velmira::PaletteFormat> format = velmira::PaletteFormatOfName(name);
        ASSERT_TRUE(format) << name;
        EXPECT_EQ(ColoursRead(velmira::WritePalette(*format, colours), name), colours) << name;
    }
    EXPECT_EQ(velmira::PaletteFormatOfName("C:\\\x95\\.GPL"), velmira::PaletteFormat::Gpl);
    EXPECT_FALSE(velmira::PaletteFormatOfName("C:\\a.gpl\\b"));
}

TEST(PaletteFile, FilesWrittenByHandFromThePublishedFormatsAreRead) {
    using Colours = std::vector<std::uint32_t>;  // red in the low byte
    // Both formats are big-endian.
    auto u16 = [](unsigned v) { return std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; };
    auto u32 = [&](unsigned v) { return u16(v >> 16) + u16(v & 0xFFFF); };
    auto f32 = [&](float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return u32(bits);
    };
    auto utf16 = [&](const std::string& ascii) {
        std::string text = u16(static_cast<unsigned>(ascii.size() + 1));
        for (const char c : ascii) text += u16(static_cast<unsigned char>(c));
        return text + u16(0);
    };
    // ASE: a block is its type, its length and its data; a colour's data is its name, model, floats and type.
    auto aseBlock = [&](unsigned type, const std::string& data) { return u16(type) + u32(static_cast<unsigned>(data.size())) + data; };
    auto aseColour = [&](const char* name, const char* model, std::initializer_list<float> values) {
        std::string data = utf16(name) + model;
        for (const float v : values) data += f32(v);
        return aseBlock(0x0001, data + u16(2));
    };
    // CMYK black comes from K: magenta with 20% yellow under 60% black is (0.4, 0, 0.32) of full light.
    const std::string ase = "ASEF" + u16(1) + u16(0) + u32(7) + aseBlock(0xC001, utf16("G")) +
                            aseColour("Red", "RGB ", {1, 0, 0}) + aseColour("C", "CMYK", {1, 0, 0, 0}) +
                            aseColour("MK", "CMYK", {0, 1, 0.2f, 0.6f}) + aseColour("L", "LAB ", {0.5f, 0, 0}) +
                            aseColour("K", "Gray", {0.5f}) + aseBlock(0xC002, "");
    // ACO version 1: a colour is its space and four words. CMYK counts 0 as full ink (here 80% cyan, 20% yellow,
    // 60% black), grey its ink to 10000.
    auto aco = [&](unsigned space, unsigned w, unsigned x, unsigned y, unsigned z) {
        return u16(space) + u16(w) + u16(x) + u16(y) + u16(z);
    };
    // HSB keeps the hue in 65536ths of a turn: a third (just under 120 degrees) is green, here half saturated
    // and half bright. Lab keeps hundredths, a and b signed: lab(50 40 -40) is sRGB (158.45, 92.21, 188.19).
    const std::string aco1 = u16(1) + u16(7) + aco(0, 0xFFFF, 0x8000, 0, 0) + aco(2, 0x3333, 0xFFFF, 0xCCCC, 0x6666) +
                             aco(7, 5000, 0, 0, 0) + aco(8, 5000, 0, 0, 0) + aco(3, 1, 0, 0, 0) +
                             aco(1, 0x5555, 0x8000, 0x8000, 0) + aco(7, 5000, 4000, 0x10000 - 4000, 0);
    // A file of twenty colours cut in the eleventh block.
    Colours twenty;
    for (std::uint32_t i = 0; i < 20; ++i) twenty.push_back(i * 0x010203u);
    const Colours firstTen(twenty.begin(), twenty.begin() + 10);
    const std::string cutAse = velmira::WritePalette(velmira::PaletteFormat::Ase, twenty)
                                   .substr(0, velmira::WritePalette(velmira::PaletteFormat::Ase, firstTen).size() + 5);
    struct Case {
        const char* name;
        std::string bytes;
        std::optional<Colours> colours;  // nothing: no palette
        int unreadable;
        long long lost = 0;  // entries announced that the file ended before
        int skipped = 0;     // lines of a GIMP palette that are no colour
    } cases[] = {
        {"a.gpl", "GIMP Palette\nName: Test\nColumns: 2\n# comment\n  0   0   0\tBlack\n255 128   0 Orange\n",
         Colours{0x000000, 0x0080FF}, 0},
        // Lab L* 50 is sRGB 119 grey; ASE keeps L from 0 to 1, grey as 0 black to 1 white.
        {"a.ase", ase, Colours{0x0000FF, 0xFFFF00, 0x520066, 0x777777, 0x808080}, 0},
        {"a.aco", aco1, Colours{0x0080FF, 0x526614, 0x777777, 0x808080, 0x408040, 0xBC5C9E}, 1},
        // Version 2 alone: each colour's name follows it as a length (its terminating zero counted) and UTF-16.
        {"a.aco", u16(2) + u16(2) + aco(0, 0xFFFF, 0, 0, 0) + u16(0) + utf16("Red") + aco(0, 0, 0, 0xFFFF, 0) + u16(0) +
             utf16("Blue"), Colours{0x0000FF, 0xFF0000}, 0},
        {"a.css", ":root {\r\n  --a: rebeccapurple;\r\n  --b: rgb(18 171 12 / 50%);\r\n}\r\n",
         Colours{0x993366, 0x85D588}, 0},
        // A see-through colour is kept as it shows over white.
        {"a.txt", "\xEF\xBB\xBF#FF8000\nnot a colour\n\n  hsl(120 100% 25%)\ntransparent\n",
         Colours{0x0080FF, 0x008000, 0xFFFFFF}, 0},
        {"a.gpl", "0 0 0\n", std::nullopt, 0},
        {"a.ase", "ASEX", std::nullopt, 0},
        {"a.aco", u16(1) + u16(9) + aco(0, 0, 0, 0, 0) + u16(0), Colours{0x000000}, 0, 8},
        // The second name claims three characters and the file ends after one.
        {"a.aco", u16(2) + u16(2) + aco(0, 0xFFFF, 0, 0, 0) + u16(0) + utf16("Red") + aco(0, 0, 0, 0xFFFF, 0) + u16(0) +
             u16(3) + u16('B'), Colours{0x0000FF}, 0, 1},
        {"cut.ase", cutAse, firstTen, 0, 10},
        // CR line ends alone; a value beyond 255 is a line skipped and counted.
        {"a.gpl", "GIMP Palette\rName: x\r255 0 0 Red\r300 0 0 Bad\r00255 0 0 Long\r0 0 255\r", Colours{0x0000FF, 0xFF0000}, 0,
         0, 2},
        // Only declarations' values count: not comments, selectors, url(), strings or color-mix()'s arguments.
        {"a.css",
         "/* navy and gold */\nbody { background: url(red.png) no-repeat; color: #123456; }\n"
         "a:hover { color: color-mix(in srgb, red 50%, blue); border: 1px solid tomato }\n"
         ".x::before { content: \"red\"; font-family: 'gold' }\nnavy, gold { color: olive }\n",
         Colours{0x563412, 0x4763FF, 0x008080}, 0},
        // A string keeps its ";", and in UTF-8 its closing quote after a character whose last byte would start a
        // double-byte one in code page 932 (く); a comment parts tokens.
        {"b.css", ".a { content: \"\xE3\x81\x8F\"; --x: navy; color: rgb(1/**/2 3) }\n", Colours{0x800000, 0x030201}, 0},
        {"c.css", ".a { --a: \"x;y\" red; --b: \"z\"; --c: lime; --d: blue }\n", Colours{0x0000FF, 0x00FF00, 0xFF0000}, 0},
        {"a.txt", std::string("\x89PNG\r\n\x1a\n\0\0", 10), std::nullopt, 0},
        {"a.css", "body { margin: 0 }\n", std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + (" " + c.bytes.substr(0, 12)));
        const std::optional<Colours> read = ColoursRead(c.bytes, c.name);
        if (!c.colours) {
            EXPECT_TRUE(!read || read->empty()) << "no palette, nothing to take";
            continue;
        }
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, *c.colours);
        const velmira::PaletteContents contents = *velmira::ReadPalette(c.bytes, c.name);
        EXPECT_EQ(contents.unreadable, c.unreadable);
        EXPECT_EQ(contents.lostEntries, c.lost);
        EXPECT_EQ(contents.skippedLines, c.skipped);
    }

    // What we write, byte for byte: ASE colours of the normal (process) type, not global or spot; ACO's version 1
    // list, then version 2's with each name's length counting its terminating zero.
    const Colours redBlue{0x0000FF, 0xFF0000};
    EXPECT_EQ(velmira::WritePalette(velmira::PaletteFormat::Css, redBlue),
              ":root {\r\n  --velmira-1: #FF0000;\r\n  --velmira-2: #0000FF;\r\n}\r\n");
    EXPECT_EQ(velmira::WritePalette(velmira::PaletteFormat::Ase, redBlue),
              "ASEF" + u16(1) + u16(0) + u32(2) + aseColour("Velmira 1", "RGB ", {1, 0, 0}) +
                  aseColour("Velmira 2", "RGB ", {0, 0, 1}));
    EXPECT_EQ(velmira::WritePalette(velmira::PaletteFormat::Aco, redBlue),
              u16(1) + u16(2) + aco(0, 0xFFFF, 0, 0, 0) + aco(0, 0, 0, 0xFFFF, 0) + u16(2) + u16(2) +
                  aco(0, 0xFFFF, 0, 0, 0) + u16(0) + utf16("Velmira 1") + aco(0, 0, 0, 0xFFFF, 0) + u16(0) +
                  utf16("Velmira 2"));
}

// Eight megabytes of one-letter lines, the largest file read: what is kept is a palette's worth, not millions.
TEST(PaletteFile, AHugeTextFileKeepsNoMoreLinesThanAnyPaletteHas) {
    std::string lines;
    lines.reserve(8 << 20);
    while (lines.size() < (8u << 20)) lines += "a\n";
    const std::optional<velmira::PaletteContents> read = velmira::ReadPalette(lines, "a.txt");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->swatches.size(), velmira::palette::kMaxSwatches);
}

}  // namespace
