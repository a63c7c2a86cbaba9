#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "image/JpegDecoder.h"
#include "picture/MemoryByteSource.h"
#include "support/PictureWriter.h"

namespace velmira {
namespace {

using test::JpegColor;
using test::JpegFormat;
using test::TestPicture;

DecodedPicture Decode(const std::string& file, int maxWidth = 163, int maxHeight = 188) {
    MemoryByteSource source(file);
    return DecodeJpeg(source, maxWidth, maxHeight);
}

// Blocks of one colour each, aligned to the 16-pixel MCU: nearly lossless through any sampling.
TestPicture BlockPicture(int width, int height) {
    TestPicture p{width, height, {}};
    const std::uint32_t colors[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080, 0xFFFF00, 0x20A0E0};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.values.push_back(colors[(x / 16 + 3 * (y / 16)) % 8]);
    return p;
}

int ChannelDistance(std::uint32_t a, std::uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return worst;
}

std::string ExpectJpegError(const std::string& file) {
    try {
        Decode(file);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    ADD_FAILURE() << "decoded";
    return {};
}

TEST(JpegDecoderTest, VisibleRegionEqualsLibjpegsFullDecode) {
    struct Variant {
        const char* name;
        JpegFormat format;
    };
    const Variant variants[] = {
        {"4:4:4", {JpegColor::YCbCr, 1, 1, false, 0, 90}},
        {"4:2:2", {JpegColor::YCbCr, 2, 1, false, 0, 90}},
        {"4:2:0", {JpegColor::YCbCr, 2, 2, false, 0, 90}},
        {"4:4:0", {JpegColor::YCbCr, 1, 2, false, 0, 90}},
        {"4:1:1", {JpegColor::YCbCr, 4, 1, false, 0, 90}},
        {"greyscale", {JpegColor::Grayscale, 1, 1, false, 0, 90}},
        {"RGB", {JpegColor::Rgb, 1, 1, false, 0, 90}},
        {"progressive 4:2:0", {JpegColor::YCbCr, 2, 2, true, 0, 75}},
        {"progressive greyscale", {JpegColor::Grayscale, 1, 1, true, 0, 75}},
        {"restarts 4:2:0", {JpegColor::YCbCr, 2, 2, false, 1, 90}},
        {"progressive restarts 4:2:2", {JpegColor::YCbCr, 2, 1, true, 2, 90}},
        // The remaining luma samplings libjpeg accepts, including the ones no camera writes: the crop's
        // extra iMCU column must hold for any iMCU width, and the 3 x 1 one goes through the plain
        // replicating upsampler instead of the smoothing one.
        {"4:1:0", {JpegColor::YCbCr, 4, 2, false, 0, 90}},
        {"2x4", {JpegColor::YCbCr, 2, 4, false, 0, 90}},
        {"1x4", {JpegColor::YCbCr, 1, 4, false, 0, 90}},
        {"3x1", {JpegColor::YCbCr, 3, 1, false, 0, 90}},
        {"progressive 4:4:4", {JpegColor::YCbCr, 1, 1, true, 0, 90}},
        {"progressive 4:4:0", {JpegColor::YCbCr, 1, 2, true, 0, 90}},
        {"progressive 4:1:1", {JpegColor::YCbCr, 4, 1, true, 0, 90}},
        {"progressive RGB", {JpegColor::Rgb, 1, 1, true, 0, 90}},
        {"restarts 4:4:4", {JpegColor::YCbCr, 1, 1, false, 1, 90}},
        {"restarts 4:1:1", {JpegColor::YCbCr, 4, 1, false, 3, 90}},
        {"restarts 4:4:0", {JpegColor::YCbCr, 1, 2, false, 2, 90}},
        {"progressive restarts 4:1:0", {JpegColor::YCbCr, 4, 2, true, 1, 90}},
    };
    const int sizes[][2] = {{10, 10}, {163, 188}, {170, 190}, {400, 150}, {100, 300}, {333, 517}};
    for (const Variant& v : variants) {
        for (const auto& size : sizes) {
            const std::string what = std::string(v.name) + " " + std::to_string(size[0]) + "x" + std::to_string(size[1]);
            const std::string file = test::EncodeJpeg(v.format, test::GradientPicture(size[0], size[1]));
            const TestPicture full = test::DecodeJpegWithLibjpeg(file);
            const DecodedPicture visible = Decode(file);
            ASSERT_EQ(visible.width, size[0]) << what;
            ASSERT_EQ(visible.height, size[1]) << what;
            ASSERT_EQ(visible.visibleWidth, std::min(size[0], 163)) << what;
            ASSERT_EQ(visible.visibleHeight, std::min(size[1], 188)) << what;
            for (int y = 0; y < visible.visibleHeight; ++y)
                for (int x = 0; x < visible.visibleWidth; ++x)
                    ASSERT_EQ(visible.At(x, y), full.At(x, y)) << what << " at " << x << "," << y;
        }
    }
}

TEST(JpegDecoderTest, WithoutALimitTheWholePictureEqualsLibjpegsDecode) {
    // The decoder with limits far past the picture is the full decode the benchmarks compare against.
    for (const bool progressive : {false, true}) {
        const std::string file = test::EncodeJpeg({JpegColor::YCbCr, 2, 2, progressive, 0, 85}, test::GradientPicture(701, 433));
        const TestPicture full = test::DecodeJpegWithLibjpeg(file);
        const DecodedPicture all = Decode(file, 1 << 30, 1 << 30);
        ASSERT_EQ(all.visibleWidth, 701);
        ASSERT_EQ(all.visibleHeight, 433);
        EXPECT_TRUE(Decode(file, 163, 0).pixels.empty()) << "no room, no rows";
        EXPECT_TRUE(Decode(file, 0, 188).pixels.empty()) << "no room, no columns";
        for (int y = 0; y < 433; ++y)
            for (int x = 0; x < 701; ++x) ASSERT_EQ(all.At(x, y), full.At(x, y)) << progressive << " at " << x << "," << y;
    }
}

TEST(JpegDecoderTest, VisibleWidthOnAnMcuBoundaryKeepsTheLastColumnExact) {
    // Cropping at exactly an MCU edge would let the upsampler replicate the last visible column.
    for (const int hSampling : {1, 2, 4}) {
        const std::string file = test::EncodeJpeg({JpegColor::YCbCr, hSampling, 2, false, 0, 90}, test::GradientPicture(200, 40));
        const TestPicture full = test::DecodeJpegWithLibjpeg(file);
        const DecodedPicture visible = Decode(file, 32, 40);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 32; ++x) ASSERT_EQ(visible.At(x, y), full.At(x, y)) << hSampling << " at " << x << "," << y;
    }
}

TEST(JpegDecoderTest, GreyscaleComesOutAsEqualChannels) {
    const DecodedPicture p = Decode(test::EncodeJpeg({JpegColor::Grayscale, 1, 1, false, 0, 90}, test::GradientPicture(40, 30)));
    for (std::uint32_t v : p.pixels) ASSERT_EQ((v >> 16) & 0xFF, v & 0xFF);
    for (std::uint32_t v : p.pixels) ASSERT_EQ((v >> 8) & 0xFF, v & 0xFF);
}

TEST(JpegDecoderTest, CmykAndYcckComeOutAsTheirColours) {
    const TestPicture picture = BlockPicture(64, 48);
    for (const JpegColor color : {JpegColor::Cmyk, JpegColor::Ycck}) {
        const DecodedPicture p = Decode(test::EncodeJpeg({color, 1, 1, false, 0, 98}, picture));
        ASSERT_EQ(p.visibleWidth, 64);
        // Away from block edges the colour is the block's.
        for (int y = 4; y < 48; y += 16)
            for (int x = 4; x < 64; x += 16)
                EXPECT_LE(ChannelDistance(p.At(x, y), picture.At(x, y)), 6) << x << "," << y;
    }
    // Without the Adobe marker (APP14) the samples are the inks themselves, not their inverse: the writer's
    // black sample of 255 is then full black ink; with a black sample of 0, the samples 33 66 99 are the inks
    // of CC 99 66, exactly (one flat block at quality 100).
    const auto withoutAdobe = [](std::string file) {
        const std::size_t adobe = file.find("\xFF\xEE");
        EXPECT_NE(adobe, std::string::npos);
        if (adobe != std::string::npos)
            file.erase(adobe, 2 + (static_cast<unsigned char>(file[adobe + 2]) << 8 | static_cast<unsigned char>(file[adobe + 3])));
        return file;
    };
    for (const std::uint32_t v : Decode(withoutAdobe(test::EncodeJpeg({JpegColor::Cmyk, 1, 1, false, 0, 98}, picture))).pixels)
        ASSERT_EQ(v, 0u);
    JpegFormat noBlack{JpegColor::Cmyk, 1, 1, false, 0, 100};
    noBlack.blackSample = 0;
    const TestPicture flat{8, 8, std::vector<std::uint32_t>(64, 0x336699)};
    for (const std::uint32_t v : Decode(withoutAdobe(test::EncodeJpeg(noBlack, flat))).pixels) ASSERT_EQ(v, 0xCC9966u);
}

TEST(JpegDecoderTest, ABitmapIsNotAJpegFile) {
    test::BmpFormat format;
    const std::string bmp = test::EncodeBmp(format, test::GradientPicture(4, 4));
    EXPECT_EQ(ExpectJpegError(bmp), JpegErrorMessage(JERR_NO_SOI));
    EXPECT_EQ(JpegErrorMessage(JERR_NO_SOI), "JPEG エラー #" + std::to_string(static_cast<int>(JERR_NO_SOI)));
}

TEST(JpegDecoderTest, EmptyFileIsAJpegError) {
    // The source pretends an end-of-image marker where the file ends, and libjpeg finds no image.
    EXPECT_EQ(ExpectJpegError(std::string()).rfind("JPEG エラー #", 0), 0u);
}

TEST(JpegDecoderTest, CorruptHuffmanTableIsAJpegError) {
    std::string file = test::EncodeJpeg({}, test::GradientPicture(32, 32));
    const std::size_t dht = file.find("\xFF\xC4");
    ASSERT_NE(dht, std::string::npos);
    // The 16 code-length counts after the table class byte claim far more codes than a table may hold.
    for (int i = 0; i < 16; ++i) file[dht + 5 + i] = '\x7F';
    EXPECT_EQ(ExpectJpegError(file), JpegErrorMessage(JERR_BAD_HUFF_TABLE));
}

TEST(JpegDecoderTest, AbsurdDeclaredSizeIsAJpegError) {
    std::string file = test::EncodeJpeg({}, test::GradientPicture(16, 16));
    const std::size_t sof = file.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    // Height and width of 60000: each allowed by libjpeg, together far over the pixel limit.
    file[sof + 5] = file[sof + 7] = static_cast<char>(60000 >> 8);
    file[sof + 6] = file[sof + 8] = static_cast<char>(60000 & 0xFF);
    EXPECT_EQ(ExpectJpegError(file), JpegErrorMessage(JERR_IMAGE_TOO_BIG));
}

TEST(JpegDecoderTest, FileCutInTheEntropyDataKeepsTheRowsBeforeTheCut) {
    // libjpeg warns of the premature end and makes up the rest; the rows before the cut survive.
    const std::string file = test::EncodeJpeg({}, test::GradientPicture(64, 64));
    const DecodedPicture whole = Decode(file);
    const DecodedPicture cut = Decode(file.substr(0, file.size() * 2 / 3));
    ASSERT_EQ(cut.width, 64);
    ASSERT_EQ(cut.height, 64);
    for (int x = 0; x < 64; ++x) EXPECT_EQ(cut.At(x, 0), whole.At(x, 0));
}

TEST(JpegDecoderTest, EveryTruncationGivesAPictureOrTheJpegError) {
    for (const bool progressive : {false, true}) {
        const std::string file = test::EncodeJpeg({JpegColor::YCbCr, 2, 2, progressive, 1, 80}, test::GradientPicture(48, 40));
        for (std::size_t length = 0; length < file.size(); length += 7) {
            try {
                const DecodedPicture p = Decode(file.substr(0, length));
                ASSERT_EQ(p.pixels.size(), static_cast<std::size_t>(p.visibleWidth) * p.visibleHeight);
            } catch (const std::runtime_error& e) {
                ASSERT_EQ(std::string(e.what()).rfind("JPEG エラー #", 0), 0u) << length;
            }
        }
    }
}

TEST(JpegDecoderTest, CorruptionBelowTheVisibleRowsGoesUnread) {
    std::string file = test::EncodeJpeg({JpegColor::YCbCr, 1, 1, false, 0, 90}, test::GradientPicture(16, 600));
    const std::string intact = file;
    // Bytes just before the end-of-image marker belong to the last MCU rows, far below row 188.
    for (std::size_t i = file.size() - 40; i < file.size() - 2; ++i) file[i] = '\xFF';
    const DecodedPicture damaged = Decode(file);
    EXPECT_EQ(damaged.pixels, Decode(intact).pixels);
}

}  // namespace
}  // namespace velmira
