#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "picture/MemoryByteSource.h"
#include "wicplugin/LibraryPicture.h"
#include "wicplugin/WicPixels.h"

using namespace velmira::wic;

namespace {

CoreFormat Detect(const std::string& bytes) {
    return DetectCoreFormat(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(WicPixels, DetectsCoreFormatsByTheirFirstBytesOnly) {
    using namespace std::string_literals;
    const struct {
        std::string head;
        CoreFormat expected;
    } cases[] = {
        {"\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s, CoreFormat::Png},
        {"\x89PNG\r\n\x1a"s, CoreFormat::Unknown},  // cut short of the full signature
        {"GIF87a\1\0"s, CoreFormat::Gif},
        {"GIF89a\1\0"s, CoreFormat::Gif},
        {"GIF88a\1\0"s, CoreFormat::Unknown},
        {"II*\0\x08\0\0\0"s, CoreFormat::Tiff},
        {"MM\0*\0\0\0\x08"s, CoreFormat::Tiff},
        {"MM*\0\0\0\0\x08"s, CoreFormat::Unknown},  // byte order and magic must agree
        {"RIFF\x10\0\0\0WEBPVP8 "s, CoreFormat::Webp},
        {"RIFF\x10\0\0\0WAVEfmt "s, CoreFormat::Unknown},  // another kind of RIFF file
        {"RIFF\x10\0\0\0WEB"s, CoreFormat::Unknown},
        {"RIFF\x10\0\0\0WEBX"s, CoreFormat::Unknown},
        {"\0\0\1\0\2\0\x10\x10\0\0"s, CoreFormat::Ico},
        {"\0\0\1\0\0\0\x10\x10\0\0"s, CoreFormat::Unknown},  // no images
        {"\0\0\1\0\1\0\x10\x10\0\x07"s, CoreFormat::Unknown},  // reserved byte set: not an icon directory
        {"\0\0\2\0\1\0\x10\x10\0\0"s, CoreFormat::Unknown},  // a cursor
        {"BM"s, CoreFormat::Unknown},
        {""s, CoreFormat::Unknown},
    };
    for (const auto& c : cases) EXPECT_EQ(Detect(c.head), c.expected) << testing::PrintToString(c.head);
}

TEST(WicPixels, DibLayoutRoundsLinesToFourBytesAndRefusesEmptyOrHugePictures) {
    const struct {
        std::uint32_t w, h, stride, size;
    } cases[] = {{1, 1, 4, 4}, {2, 3, 8, 24}, {3, 2, 12, 24}, {4, 1, 12, 12}, {5, 2, 16, 32}, {8192, 8192, 24576, 201326592}};
    for (const auto& c : cases) {
        const auto layout = Dib24Layout(c.w, c.h);
        ASSERT_TRUE(layout) << c.w << "x" << c.h;
        EXPECT_EQ(layout->stride, c.stride) << c.w;
        EXPECT_EQ(layout->imageSize, c.size) << c.w << "x" << c.h;
    }
    EXPECT_FALSE(Dib24Layout(0, 10));
    EXPECT_FALSE(Dib24Layout(10, 0));
    EXPECT_FALSE(Dib24Layout(8193, 8192));         // one line past 2^26 pixels
    EXPECT_FALSE(Dib24Layout(0x10000, 0x10000));   // 2^32 pixels: the product must not wrap
    EXPECT_FALSE(Dib24Layout(0xFFFFFFFFu, 2));
}

TEST(WicPixels, BottomUpRowsStartFromTheLastLine) {
    EXPECT_EQ(BottomUpRowOffset(0, 3, 12), 24u);
    EXPECT_EQ(BottomUpRowOffset(2, 3, 12), 0u);
}

TEST(WicPixels, AlphaIsLaidOverWhite) {
    // B, G, R, A in; B, G, R out (as 0x00RRGGBB).
    const struct {
        std::array<std::uint8_t, 4> in;
        std::array<std::uint8_t, 3> out;
    } cases[] = {
        {{0, 0, 255, 255}, {0, 0, 255}},      // opaque red stays red
        {{0, 0, 255, 0}, {255, 255, 255}},    // transparent anything is white
        {{0, 0, 255, 128}, {127, 127, 255}},  // half red over white
        {{10, 20, 30, 1}, {254, 254, 254}},
        {{0, 0, 0, 128}, {127, 127, 127}},
        {{200, 100, 50, 200}, {212, 133, 94}},
    };
    std::vector<std::uint8_t> in;
    std::vector<std::uint32_t> out(std::size(cases) + 1, 0xAAAAAAAA);
    for (const auto& c : cases) in.insert(in.end(), c.in.begin(), c.in.end());
    BgraRowOverWhite(in.data(), out.data(), static_cast<std::uint32_t>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(out[i], std::uint32_t{cases[i].out[2]} << 16 | cases[i].out[1] << 8 | cases[i].out[0]) << "pixel " << i;
    EXPECT_EQ(out.back(), 0xAAAAAAAAu) << "wrote past the row";
}

TEST(WicPixels, InfoTextHonoursTheBufferLength) {
    // Code page 932 bytes spelt out, so that the native build sees what the Windows one does.
    const std::string text = "PNG \xCC\xA7\xB2\xD9";  // PNG ﾌｧｲﾙ: half-width kana, one byte each
    const std::string kanji = "A\x95\x5C" "B";          // A表B: 表's trail byte is a backslash
    const struct {
        std::string text;
        int buflen;
        int written;
        bool terminated;
    } cases[] = {
        {text, 260, static_cast<int>(text.size()), true},
        {text, static_cast<int>(text.size()) + 1, static_cast<int>(text.size()), true},
        {text, static_cast<int>(text.size()), static_cast<int>(text.size()), false},
        {text, 3, 3, false},
        {kanji, 2, 1, true},   // the double-byte character does not fit whole: cut before it
        {kanji, 3, 3, false},
        {kanji, 4, 4, false},
        {kanji, 5, 4, true},
        {text, 0, 0, false},
    };
    for (const auto& c : cases) {
        std::string buf(300, '#');
        EXPECT_EQ(CopyInfoText(c.text, buf.data(), c.buflen), c.written) << c.text << " / " << c.buflen;
        EXPECT_EQ(buf.substr(0, c.written), c.text.substr(0, c.written));
        if (c.terminated) {
            EXPECT_EQ(buf[c.written], '\0') << c.buflen;
        }
        const std::size_t untouched = static_cast<std::size_t>(c.written) + (c.terminated ? 1 : 0);
        EXPECT_EQ(buf.find_first_not_of('#', untouched), std::string::npos) << "wrote past buflen " << c.buflen;
    }
    EXPECT_EQ(CopyInfoText(text, nullptr, 260), 0);
}

TEST(WicPixels, ExtensionPatternsAreAppendedOnceAndWithinTheLimit) {
    std::string pattern = "*.png;*.gif";
    AppendExtensionPatterns(pattern, ".PNG,.jxr,.wdp,.bmp,.dib", "bmp;jpg;jpeg", 100);
    EXPECT_EQ(pattern, "*.png;*.gif;*.jxr;*.wdp;*.dib");
    AppendExtensionPatterns(pattern, ".jxr,.dds,.webpx", "", pattern.size() + 6);
    EXPECT_EQ(pattern, "*.png;*.gif;*.jxr;*.wdp;*.dib;*.dds");  // the longer one would not fit
    AppendExtensionPatterns(pattern, ".tif;.TIFF;.jpg;.jfif", "jpg", 100);
    EXPECT_EQ(pattern, "*.png;*.gif;*.jxr;*.wdp;*.dib;*.dds;*.tif;*.TIFF;*.jfif");
    std::string empty;
    AppendExtensionPatterns(empty, ",.,tga", "", 5);
    EXPECT_EQ(empty, "*.tga") << "the first pattern needs no separator";
}

namespace {

// The pictures of tests/data/pictures hold 53 x 41 pixels of ramps (their README): red across, green down, blue
// in steps of 7 and 13, alpha rising from the top-left corner where the kind has it.
constexpr int kSampleWidth = 53, kSampleHeight = 41;

std::array<int, 4> SampleRgba(int x, int y, bool alpha) {
    return {x * 255 / (kSampleWidth - 1), y * 255 / (kSampleHeight - 1), (x * 7 + y * 13) & 255,
            alpha ? (x + y) * 255 / (kSampleWidth + kSampleHeight - 2) : 255};
}

// GIF keeps a 6 x 7 x 6 cube of colours and a transparent index for alpha below half.
std::array<int, 4> CubeColour(std::array<int, 4> rgba) {
    if (rgba[3] < 128) return {255, 255, 255, 255};
    const int r = rgba[0] * 6 / 256, g = rgba[1] * 7 / 256, b = rgba[2] * 6 / 256;
    return {r * 255 / 5, g * 255 / 6, b * 255 / 5, 255};
}

int LaidOverWhite(int value, int alpha) { return (value * alpha + 255 * (255 - alpha) + 127) / 255; }

}  // namespace

// Each kind of file the bundled plug-in reads with a format library, natively: the size, and the top-left part
// as the rows are asked for, each pixel laid over white (the lossy WebP within its loss).
TEST(LibraryPicture, ReadsTheSamplePicturesTopLeftPartsOverWhite) {
    const struct {
        const char* name;
        bool alpha, gif;
        int averageLoss;  // 0: every pixel exact
    } kinds[] = {{"rgba.png", true, false, 0},        {"adam7.png", false, false, 0},
                 {"adam7-16bit.png", true, false, 0}, {"transparent.gif", true, true, 0},
                 {"interlaced.gif", false, true, 0},  {"strips.tif", false, false, 0},
                 {"tiles-alpha.tif", true, false, 0}, {"lossless.webp", false, false, 0},
                 {"lossy-alpha.webp", true, false, 6}};
    for (const auto& kind : kinds) {
        std::ifstream in(std::string(VELMIRA_TESTDATA) + "/pictures/" + kind.name, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::pair<std::uint32_t, std::uint32_t> parts[] = {{53, 41}, {23, 19}, {1, 1}};
        for (const auto& part : parts) {
            const std::uint32_t columns = part.first, rows = part.second;
            SCOPED_TRACE(std::string(kind.name) + " " + std::to_string(columns) + " x " + std::to_string(rows));
            velmira::MemoryByteSource source(bytes);
            const std::unique_ptr<LibraryPicture> picture = OpenLibraryPicture(source);
            ASSERT_TRUE(picture);
            EXPECT_EQ(picture->Width(), 53u);
            EXPECT_EQ(picture->Height(), 41u);
            std::uint32_t nextRow = 0;
            int worst = 0, total = 0;
            picture->ReadTopLeft(columns, rows, [&](std::uint32_t y, const std::uint32_t* pixels) {
                ASSERT_EQ(y, nextRow++);
                for (std::uint32_t x = 0; x < columns; ++x) {
                    std::array<int, 4> rgba = SampleRgba(static_cast<int>(x), static_cast<int>(y), kind.alpha);
                    if (kind.gif) rgba = CubeColour(rgba);
                    for (int c = 0; c < 3; ++c) {
                        const int got = static_cast<int>(pixels[x] >> (16 - 8 * c) & 0xFF);
                        const int off = std::abs(got - LaidOverWhite(rgba[c], rgba[3]));
                        worst = std::max(worst, off);
                        total += off;
                    }
                    EXPECT_EQ(pixels[x] >> 24, 0u);
                }
            });
            EXPECT_EQ(nextRow, rows);
            if (kind.averageLoss == 0) {
                EXPECT_EQ(worst, 0);
            } else {  // the blue ramp's sharp steps blur most
                EXPECT_LE(total / static_cast<int>(3 * columns * rows), kind.averageLoss);
            }
        }
    }
    // The smallest picture: a GIF of one pixel, colour 0 of a two-colour table.
    using namespace std::string_literals;
    const std::string dot = "GIF89a\1\0\1\0\x80\0\0\x33\x66\x99\0\0\0,\0\0\0\0\1\0\1\0\0\2\2\x44\1\0;"s;
    velmira::MemoryByteSource dotSource(dot);
    const std::unique_ptr<LibraryPicture> one = OpenLibraryPicture(dotSource);
    ASSERT_TRUE(one);
    ASSERT_EQ(one->Width() * one->Height(), 1u);
    std::uint32_t read = 0;
    one->ReadTopLeft(1, 1, [&](std::uint32_t, const std::uint32_t* pixels) { read = pixels[0]; });
    EXPECT_EQ(read, 0x336699u);
    const std::string bmp = "BM\x3A\0\0\0";
    velmira::MemoryByteSource notOurs(bmp);
    EXPECT_FALSE(OpenLibraryPicture(notOurs));
}
