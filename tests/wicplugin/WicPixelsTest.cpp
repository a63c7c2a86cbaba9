#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

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
    AppendExtensionPatterns(empty, ",.,tga", "", 100);
    EXPECT_EQ(empty, "*.tga");
}
