#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "picture/BmpDecoder.h"
#include "picture/MemoryByteSource.h"
#include "support/PictureWriter.h"

namespace velmira {
namespace {

using test::AssembleBmp;
using test::BmpCompression;
using test::BmpFormat;
using test::BmpHeader;
using test::EncodeBmp;
using test::TestPicture;

constexpr int kUnlimited = INT_MAX;

DecodedPicture Decode(const std::string& file, int maxWidth = kUnlimited, int maxHeight = kUnlimited) {
    MemoryByteSource source(file);
    return DecodeBmp(source, maxWidth, maxHeight);
}

// Either the reader's message or a picture whose buffer matches its visible size: never anything else.
::testing::AssertionResult RefusedOrSound(const std::string& file, int maxWidth = 163, int maxHeight = 188) {
    try {
        const DecodedPicture p = Decode(file, maxWidth, maxHeight);
        if (p.width <= 0 || p.height <= 0 || p.visibleWidth != std::min(p.width, maxWidth) ||
            p.visibleHeight != std::min(p.height, maxHeight) ||
            p.pixels.size() != static_cast<std::size_t>(p.visibleWidth) * p.visibleHeight)
            return ::testing::AssertionFailure() << "unsound picture " << p.width << "x" << p.height;
        return ::testing::AssertionSuccess();
    } catch (const std::runtime_error& e) {
        if (std::string(e.what()) != kBitmapErrorMessage)
            return ::testing::AssertionFailure() << "unexpected message " << e.what();
        return ::testing::AssertionSuccess();
    }
}

::testing::AssertionResult Refused(const std::string& file) {
    try {
        Decode(file, 163, 188);
    } catch (const std::runtime_error& e) {
        if (std::string(e.what()) == kBitmapErrorMessage) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "unexpected message " << e.what();
    }
    return ::testing::AssertionFailure() << "decoded";
}

std::vector<std::uint32_t> DistinctPalette(int count) {
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(static_cast<std::uint32_t>((i * 37 + 11) & 0xFF) << 16 |
                          static_cast<std::uint32_t>((i * 91 + 3) & 0xFF) << 8 | static_cast<std::uint32_t>(i & 0xFF));
    return palette;
}

// Channels of 0 or 255 only: exact through any mask width.
TestPicture SaturatedPicture(int width, int height) {
    TestPicture p = test::GradientPicture(width, height);
    for (std::uint32_t& v : p.values) v = (v & 0x800000 ? 0xFF0000 : 0) | (v & 0x8000 ? 0xFF00 : 0) | (v & 0x80 ? 0xFF : 0);
    return p;
}

void ExpectPixels(const DecodedPicture& decoded, const TestPicture& expected, const char* what) {
    ASSERT_EQ(decoded.width, expected.width) << what;
    ASSERT_EQ(decoded.height, expected.height) << what;
    for (int y = 0; y < decoded.visibleHeight; ++y)
        for (int x = 0; x < decoded.visibleWidth; ++x)
            ASSERT_EQ(decoded.At(x, y), expected.At(x, y)) << what << " at " << x << "," << y;
}

void ExpectTopLeftOf(const DecodedPicture& visible, const DecodedPicture& full, const std::string& what) {
    ASSERT_EQ(visible.width, full.width) << what;
    ASSERT_EQ(visible.height, full.height) << what;
    ASSERT_EQ(visible.visibleWidth, std::min(full.width, 163)) << what;
    ASSERT_EQ(visible.visibleHeight, std::min(full.height, 188)) << what;
    for (int y = 0; y < visible.visibleHeight; ++y)
        for (int x = 0; x < visible.visibleWidth; ++x)
            ASSERT_EQ(visible.At(x, y), full.At(x, y)) << what << " at " << x << "," << y;
}

struct RoundTripCase {
    const char* name;
    BmpHeader header;
    int bitsPerPixel;
    BmpCompression compression;
    bool topDown;
    std::uint32_t masks[4];
};

const RoundTripCase kRoundTrips[] = {
    {"1 bpp", BmpHeader::Info40, 1, BmpCompression::Rgb, false, {}},
    {"2 bpp", BmpHeader::Info40, 2, BmpCompression::Rgb, false, {}},
    {"4 bpp", BmpHeader::Info40, 4, BmpCompression::Rgb, false, {}},
    {"8 bpp", BmpHeader::Info40, 8, BmpCompression::Rgb, false, {}},
    {"8 bpp top-down", BmpHeader::Info40, 8, BmpCompression::Rgb, true, {}},
    {"RLE8", BmpHeader::Info40, 8, BmpCompression::Rle8, false, {}},
    {"RLE4", BmpHeader::Info40, 4, BmpCompression::Rle4, false, {}},
    {"OS/2 1.x 1 bpp", BmpHeader::Core12, 1, BmpCompression::Rgb, false, {}},
    {"OS/2 1.x 4 bpp", BmpHeader::Core12, 4, BmpCompression::Rgb, false, {}},
    {"OS/2 1.x 8 bpp", BmpHeader::Core12, 8, BmpCompression::Rgb, false, {}},
    {"OS/2 1.x 24 bpp", BmpHeader::Core12, 24, BmpCompression::Rgb, false, {}},
    {"OS/2 2.x short header", BmpHeader::Os2v2_16, 8, BmpCompression::Rgb, false, {}},
    {"OS/2 2.x full header", BmpHeader::Os2v2_64, 8, BmpCompression::Rgb, false, {}},
    {"OS/2 2.x RLE4", BmpHeader::Os2v2_64, 4, BmpCompression::Rle4, false, {}},
    {"V4 8 bpp", BmpHeader::V4_108, 8, BmpCompression::Rgb, false, {}},
    {"V5 RLE8", BmpHeader::V5_124, 8, BmpCompression::Rle8, false, {}},
    {"24 bpp", BmpHeader::Info40, 24, BmpCompression::Rgb, false, {}},
    {"24 bpp top-down", BmpHeader::Info40, 24, BmpCompression::Rgb, true, {}},
    {"32 bpp with alpha byte", BmpHeader::Info40, 32, BmpCompression::Rgb, false, {}},
    {"32 bpp V5 top-down", BmpHeader::V5_124, 32, BmpCompression::Rgb, true, {}},
    {"16 bpp 5-5-5", BmpHeader::Info40, 16, BmpCompression::Rgb, false, {}},
    {"16 bpp 5-6-5 fields", BmpHeader::Info40, 16, BmpCompression::Bitfields, false, {0xF800, 0x07E0, 0x001F, 0}},
    {"16 bpp 4-4-4-4 alpha fields", BmpHeader::Info40, 16, BmpCompression::AlphaBitfields, false,
     {0x0F00, 0x00F0, 0x000F, 0xF000}},
    {"16 bpp V2 1-bit masks", BmpHeader::V2_52, 16, BmpCompression::Bitfields, false, {0x0001, 0x0100, 0x8000, 0}},
    {"16 bpp V3 fields top-down", BmpHeader::V3_56, 16, BmpCompression::Bitfields, true,
     {0x7C00, 0x03E0, 0x001F, 0x8000}},
    {"32 bpp fields BGR order", BmpHeader::Info40, 32, BmpCompression::Bitfields, false, {0xFF, 0xFF00, 0xFF0000, 0}},
    {"32 bpp 10-10-10 V4", BmpHeader::V4_108, 32, BmpCompression::Bitfields, false,
     {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}},
    {"32 bpp 11-11-10 V5", BmpHeader::V5_124, 32, BmpCompression::Bitfields, false,
     {0xFFE00000, 0x001FFC00, 0x000003FF, 0}},
};

TEST(BmpDecoderTest, EveryDepthAndCompressionRoundTrips) {
    for (const RoundTripCase& c : kRoundTrips) {
        BmpFormat format;
        format.header = c.header;
        format.bitsPerPixel = c.bitsPerPixel;
        format.compression = c.compression;
        format.topDown = c.topDown;
        std::memcpy(format.masks, c.masks, sizeof c.masks);
        for (const int width : {1, 7, 33}) {
            const int height = 5;
            const bool indexed = c.bitsPerPixel <= 8;
            if (indexed) format.palette = DistinctPalette(1 << c.bitsPerPixel);
            const TestPicture written = indexed ? test::IndexPicture(width, height, 1 << c.bitsPerPixel)
                                        : c.bitsPerPixel == 16 || c.compression != BmpCompression::Rgb
                                            ? SaturatedPicture(width, height)
                                            : test::GradientPicture(width, height);
            TestPicture expected(written);
            if (indexed)
                for (std::uint32_t& v : expected.values) v = format.palette[v];
            ExpectPixels(Decode(EncodeBmp(format, written)), expected, (std::string(c.name) + " w" + std::to_string(width)).c_str());
        }
    }
}

TEST(BmpDecoderTest, MaskedChannelsScaleToEightBitsWithRounding) {
    struct MaskCase {
        int bitsPerPixel;
        std::uint32_t masks[3];
        std::uint32_t pixel;
        std::uint32_t expected;
    };
    const MaskCase cases[] = {
        {16, {0xF800, 0x07E0, 0x001F}, 0x8410, 0x848284},  // 16/31 -> 132, 32/63 -> 130
        {16, {0x7C00, 0x03E0, 0x001F}, 0x7FFF, 0xFFFFFF},
        {16, {0x7C00, 0x03E0, 0x001F}, 0x0421, 0x080808},  // 1/31 -> 8
        {16, {0x0003, 0x0000, 0xC000}, 0x4002, 0xAA0055},  // 2-bit channels, green absent
        {32, {0x3FF00000, 0x000FFC00, 0x000003FF}, 0x20000000 | (1023u << 10) | 1u, 0x80FF00},
        {32, {0xFFFFFFFF, 0, 0}, 0x80000000, 0x800000},  // a 32-bit-wide mask
    };
    for (const MaskCase& c : cases) {
        BmpFormat format;
        format.bitsPerPixel = c.bitsPerPixel;
        format.compression = BmpCompression::Bitfields;
        std::memcpy(format.masks, c.masks, sizeof c.masks);
        std::string row;
        for (int b = 0; b < c.bitsPerPixel / 8; ++b) row.push_back(static_cast<char>((c.pixel >> (8 * b)) & 0xFF));
        row.resize(4, '\0');
        EXPECT_EQ(Decode(AssembleBmp(format, 1, 1, row)).At(0, 0), c.expected) << std::hex << c.pixel;
    }
}

TEST(BmpDecoderTest, ShortPalettesAndStrayIndicesGiveBlack) {
    BmpFormat format;
    format.bitsPerPixel = 8;
    format.palette = {0x112233, 0x445566};
    std::string row = {0, 1, 2, static_cast<char>(255)};
    const DecodedPicture p = Decode(AssembleBmp(format, 4, 1, row));
    EXPECT_EQ(p.At(0, 0), 0x112233u);
    EXPECT_EQ(p.At(1, 0), 0x445566u);
    EXPECT_EQ(p.At(2, 0), 0u);
    EXPECT_EQ(p.At(3, 0), 0u);
}

TEST(BmpDecoderTest, OversizedColourCountUsesTheAddressableEntries) {
    BmpFormat format;
    format.bitsPerPixel = 1;
    format.palette = {0x010203, 0x040506, 0x070809, 0x0A0B0C};
    format.colorsUsed = 4;  // more than a 1-bit picture can address, but inside the file
    const DecodedPicture p = Decode(AssembleBmp(format, 2, 1, std::string("\x40\0\0\0", 4)));
    EXPECT_EQ(p.At(0, 0), 0x010203u);
    EXPECT_EQ(p.At(1, 0), 0x040506u);
}

TEST(BmpDecoderTest, VisibleRegionEqualsTopLeftOfFullDecode) {
    struct Variant {
        const char* name;
        int bitsPerPixel;
        BmpCompression compression;
        bool topDown;
    };
    const Variant variants[] = {
        {"24 bottom-up", 24, BmpCompression::Rgb, false}, {"24 top-down", 24, BmpCompression::Rgb, true},
        {"8 bottom-up", 8, BmpCompression::Rgb, false},   {"4 top-down", 4, BmpCompression::Rgb, true},
        {"1 bottom-up", 1, BmpCompression::Rgb, false},   {"RLE8", 8, BmpCompression::Rle8, false},
        {"RLE4", 4, BmpCompression::Rle4, false},          {"32 fields", 32, BmpCompression::Bitfields, false},
    };
    const int sizes[][2] = {{10, 10}, {163, 188}, {164, 189}, {400, 150}, {100, 300}, {1000, 700}};
    for (const Variant& v : variants) {
        for (const auto& size : sizes) {
            BmpFormat format;
            format.bitsPerPixel = v.bitsPerPixel;
            format.compression = v.compression;
            format.topDown = v.topDown;
            if (v.bitsPerPixel <= 8) format.palette = DistinctPalette(1 << v.bitsPerPixel);
            const TestPicture picture = v.bitsPerPixel <= 8 ? test::IndexPicture(size[0], size[1], 1 << v.bitsPerPixel)
                                                            : test::GradientPicture(size[0], size[1]);
            const std::string file = EncodeBmp(format, picture);
            ExpectTopLeftOf(Decode(file, 163, 188), Decode(file),
                            std::string(v.name) + " " + std::to_string(size[0]) + "x" + std::to_string(size[1]));
        }
    }
}

TEST(BmpDecoderTest, RleSkipsLeavePaletteEntryZeroAndRunsAreClipped) {
    BmpFormat format;
    format.bitsPerPixel = 8;
    format.compression = BmpCompression::Rle8;
    format.palette = {0x000080, 0x00FF00, 0xFF0000};
    // 4 x 3 picture, bottom row first: a run of 6 (2 past the edge), end of line, a delta of (2, 1)
    // to the top row, one literal-free run there, then end of bitmap.
    const std::string data("\x06\x01" "\x00\x00" "\x00\x02\x02\x01" "\x01\x02" "\x00\x01", 12);
    const DecodedPicture p = Decode(AssembleBmp(format, 4, 3, data));
    const std::uint32_t skipped = 0x000080, green = 0x00FF00, red = 0xFF0000;
    const std::uint32_t expected[3][4] = {{skipped, skipped, red, skipped},
                                          {skipped, skipped, skipped, skipped},
                                          {green, green, green, green}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(p.At(x, y), expected[y][x]) << x << "," << y;
}

TEST(BmpDecoderTest, Rle4LiteralsAndRunsAlternateNibbles) {
    BmpFormat format;
    format.bitsPerPixel = 4;
    format.compression = BmpCompression::Rle4;
    format.palette = DistinctPalette(16);
    // One row of 8: a run of 3 alternating 1 and 2, then a literal of 5 (3 bytes, padded to 4).
    const std::string data("\x03\x12" "\x00\x05\x34\x56\x70\x00" "\x00\x01", 10);
    const DecodedPicture p = Decode(AssembleBmp(format, 8, 1, data));
    const int indices[8] = {1, 2, 1, 3, 4, 5, 6, 7};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(p.At(x, 0), format.palette[indices[x]]) << x;
}

TEST(BmpDecoderTest, RleStreamsThatOverrunThePictureAreClippedWithoutHarm) {
    BmpFormat format;
    format.bitsPerPixel = 8;
    format.compression = BmpCompression::Rle8;
    format.palette = DistinctPalette(4);
    const std::string streams[] = {
        std::string(4000, '\xFF'),                                // endless runs on one line
        std::string("\x00\x02\xFF\xFF", 4) + std::string("\x05\x01", 2),  // delta far beyond the picture
        std::string("\x00\xFF", 2) + std::string(100, '\x01'),    // literal longer than the data left
        std::string("\x00\x00", 2) + std::string(2000, '\0'),     // many more lines than rows
        std::string("\x00\x02\x01", 3),                           // delta cut short
        std::string("\x05", 1),                                   // code cut short
        std::string(),
    };
    for (const std::string& data : streams) {
        for (const int width : {1, 3, 200}) EXPECT_TRUE(RefusedOrSound(AssembleBmp(format, width, 200, data)));
    }
}

TEST(BmpDecoderTest, TruncatedFilesAreRefusedOrSound) {
    BmpFormat rgb;
    rgb.bitsPerPixel = 24;
    BmpFormat rle;
    rle.bitsPerPixel = 8;
    rle.compression = BmpCompression::Rle8;
    rle.palette = DistinctPalette(256);
    BmpFormat core;
    core.header = BmpHeader::Core12;
    core.bitsPerPixel = 4;
    core.palette = DistinctPalette(16);
    const std::string files[] = {
        EncodeBmp(rgb, test::GradientPicture(20, 30)),
        EncodeBmp(rle, test::IndexPicture(20, 30, 256)),
        EncodeBmp(core, test::IndexPicture(20, 30, 16)),
    };
    for (const std::string& file : files) {
        for (std::size_t length = 0; length < file.size(); ++length)
            ASSERT_TRUE(RefusedOrSound(file.substr(0, length))) << "length " << length;
    }
}

TEST(BmpDecoderTest, UncompressedPixelDataCutShortIsRefused) {
    BmpFormat format;
    format.bitsPerPixel = 24;
    const std::string file = EncodeBmp(format, test::GradientPicture(20, 30));
    // The top rows come last in a bottom-up file, but even a cut below the visible part is refused.
    EXPECT_TRUE(Refused(file.substr(0, file.size() - 61)));
    EXPECT_TRUE(Refused(file.substr(0, 54 + 60)));
    EXPECT_TRUE(RefusedOrSound(file));
    EXPECT_NO_THROW(Decode(file, 5, 5));
}

// A valid 8-bit 4 x 2 file with one field of its header replaced.
std::string WithField(std::size_t offset, std::int64_t value, int bytes) {
    BmpFormat format;
    format.bitsPerPixel = 8;
    format.palette = DistinctPalette(4);
    std::string file = EncodeBmp(format, test::IndexPicture(4, 2, 4));
    for (int b = 0; b < bytes; ++b) file[offset + b] = static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * b)) & 0xFF);
    return file;
}

TEST(BmpDecoderTest, DamagedHeadersAreRefused) {
    struct Damage {
        const char* name;
        std::size_t offset;
        std::int64_t value;
        int bytes;
    };
    const Damage damages[] = {
        {"signature", 0, 'B' | ('A' << 8), 2},
        {"pixel offset past the end", 10, 100000, 4},
        {"pixel offset inside the header", 10, 20, 4},
        {"header size 0", 14, 0, 4},
        {"header size 39", 14, 39, 4},
        {"header size 200", 14, 200, 4},
        {"width 0", 18, 0, 4},
        {"negative width", 18, -4, 4},
        {"width over 65536", 18, 70000, 4},
        {"height 0", 22, 0, 4},
        {"height INT_MIN", 22, INT_MIN, 4},
        {"height over 65536", 22, -70000, 4},
        {"planes 2", 26, 2, 2},
        {"bit count 3", 28, 3, 2},
        {"bit count 64", 28, 64, 2},
        {"bit count 0", 28, 0, 2},
        {"JPEG compression", 30, 4, 4},
        {"PNG compression", 30, 5, 4},
        {"unknown compression", 30, 99, 4},
        {"RLE4 at 8 bpp", 30, 2, 4},
        {"bit fields at 8 bpp", 30, 3, 4},
        {"colour table past the end", 46, 0x40000000, 4},
    };
    for (const Damage& d : damages) EXPECT_TRUE(Refused(WithField(d.offset, d.value, d.bytes))) << d.name;
}

TEST(BmpDecoderTest, PicturesTooLargeToHoldAreRefusedBeforeReading) {
    BmpFormat format;
    format.bitsPerPixel = 24;
    // 20000 x 20000 fits each per-side limit but not the pixel limit; the file itself is tiny.
    EXPECT_TRUE(Refused(AssembleBmp(format, 20000, 20000, std::string(64, '\0'))));
    EXPECT_TRUE(Refused(AssembleBmp(format, 65536, 4097, std::string(64, '\0'))));
}

TEST(BmpDecoderTest, TopDownRleIsRefused) {
    BmpFormat format;
    format.bitsPerPixel = 8;
    format.compression = BmpCompression::Rle8;
    format.topDown = true;
    format.palette = DistinctPalette(2);
    EXPECT_TRUE(Refused(AssembleBmp(format, 2, 2, std::string("\x00\x01", 2))));
}

TEST(BmpDecoderTest, TinyAndEmptyFilesAreRefused) {
    for (const std::string& file : {std::string(), std::string("B"), std::string("BM"), std::string(13, 'B'),
                                    std::string("BM") + std::string(16, '\0')})
        EXPECT_TRUE(Refused(file)) << file.size();
}

TEST(BmpDecoderTest, ZeroSizedVisibleRegionReportsTheFullSize) {
    BmpFormat format;
    format.bitsPerPixel = 24;
    const DecodedPicture p = Decode(EncodeBmp(format, test::GradientPicture(9, 4)), 0, 0);
    EXPECT_EQ(p.width, 9);
    EXPECT_EQ(p.height, 4);
    EXPECT_TRUE(p.pixels.empty());
}

}  // namespace
}  // namespace velmira
