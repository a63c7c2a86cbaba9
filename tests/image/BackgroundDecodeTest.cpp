// Every BMP variant and JPEG drawn tiled into the preview of the real main window, at 100% and on a monitor of
// 150%.
#include <gtest/gtest.h>

#include "image/BackgroundFixture.h"
#include "image/JpegDecoder.h"

namespace backgroundtest {
namespace {

using testsupport::MessageBoxRecorder;

// ---- Decoding -------------------------------------------------------------------------------------------------

TEST_F(BackgroundImage, EveryBmpVariantIsDrawnTiled) {
    struct Case {
        const char* name;
        BmpHeader header;
        int bits;
        BmpCompression compression;
        bool topDown;
        std::vector<std::uint32_t> masks;  // empty: the default ones
        int tolerance;
    };
    const Case cases[] = {
        {"1 bpp", BmpHeader::Info40, 1, BmpCompression::Rgb, false, {}, 0},
        {"4 bpp", BmpHeader::Info40, 4, BmpCompression::Rgb, false, {}, 0},
        {"8 bpp", BmpHeader::Info40, 8, BmpCompression::Rgb, false, {}, 0},
        {"RLE4", BmpHeader::Info40, 4, BmpCompression::Rle4, false, {}, 0},
        {"RLE8", BmpHeader::Info40, 8, BmpCompression::Rle8, false, {}, 0},
        {"8 bpp OS/2 1.x", BmpHeader::Core12, 8, BmpCompression::Rgb, false, {}, 0},
        {"8 bpp top-down", BmpHeader::Info40, 8, BmpCompression::Rgb, true, {}, 0},
        {"16 bpp 5-5-5", BmpHeader::Info40, 16, BmpCompression::Rgb, false, {}, 8},
        {"16 bpp 5-6-5 masks", BmpHeader::Info40, 16, BmpCompression::Bitfields, false, {0xF800, 0x07E0, 0x001F, 0}, 8},
        {"24 bpp", BmpHeader::Info40, 24, BmpCompression::Rgb, false, {}, 0},
        {"24 bpp OS/2 1.x", BmpHeader::Core12, 24, BmpCompression::Rgb, false, {}, 0},
        {"24 bpp top-down", BmpHeader::Info40, 24, BmpCompression::Rgb, true, {}, 0},
        {"32 bpp", BmpHeader::Info40, 32, BmpCompression::Rgb, false, {}, 0},
        {"32 bpp masks BGR", BmpHeader::Info40, 32, BmpCompression::Bitfields, false,
         {0x000000FF, 0x0000FF00, 0x00FF0000, 0}, 0},
        {"32 bpp V5 alpha masks", BmpHeader::V5_124, 32, BmpCompression::Bitfields, false,
         {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, 0},
    };
    Click(form->CheckBackImage);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpFormat format;
        format.header = c.header;
        format.bitsPerPixel = c.bits;
        format.compression = c.compression;
        format.topDown = c.topDown;
        if (!c.masks.empty()) std::copy(c.masks.begin(), c.masks.end(), format.masks);
        const bool indexed = c.bits <= 8;
        const std::vector<std::uint32_t> palette = Palette(1 << (indexed ? c.bits : 0));
        if (indexed) format.palette = palette;
        // 30 x 20 repeats five and a third times across and nine and a half times down.
        const TestPicture picture = indexed ? IndexPicture(30, 20, 1 << c.bits) : GradientPicture(30, 20);
        form->ImageBackG.Picture().Fill(RGB(1, 2, 3));
        MessageBoxRecorder boxes;
        const std::string path = Write(std::string("variant") + std::to_string(&c - cases) + ".bmp",
                                       EncodeBmp(format, picture));
        form->Background().LoadPictureFile(path);
        EXPECT_TRUE(boxes.messages.empty());
        EXPECT_EQ(form->EditBackImage.Text(), path);
        ExpectTiled(picture, c.tolerance, indexed ? &palette : nullptr);
    }
}

TEST_F(BackgroundImage, TenByTenTilesSeventeenByNineteenWithCutLastColumnAndRow) {
    const TestPicture picture = GradientPicture(10, 10);
    form->Background().LoadPictureFile(Write("ten.bmp", Bmp24(picture)));
    ExpectTiled(picture);
    // 16 whole tiles and 3 columns across, 18 whole tiles and 8 rows down.
    for (int y = 0; y < 188; y += 17) EXPECT_EQ(Preview(162, y), ToColorRef(picture.At(2, y % 10)));
    for (int x = 0; x < 163; x += 13) EXPECT_EQ(Preview(x, 187), ToColorRef(picture.At(x % 10, 7)));
    EXPECT_EQ(Preview(160, 180), ToColorRef(picture.At(0, 0)));

    // On a scaled monitor the picture in use tiles the larger preview, one picture pixel to a screen pixel.
    Click(form->CheckBackImage);
    MoveToA150PercentMonitor();
    ExpectTiled(picture);
}

TEST_F(BackgroundImage, LargePictureShowsItsTopLeftCorner) {
    const TestPicture picture = GradientPicture(400, 300);
    form->Background().LoadPictureFile(Write("large.bmp", Bmp24(picture)));
    ExpectTiled(picture);
    // A larger preview shows more of the picture than was read for the smaller one.
    Click(form->CheckBackImage);
    MoveToA150PercentMonitor();
    ExpectTiled(picture);
    // The same through JPEG, which is decoded only as far as the preview reaches.
    velmira::test::JpegFormat jpeg;
    jpeg.quality = 100;
    jpeg.hSampling = jpeg.vSampling = 1;
    form->Background().LoadPictureFile(Write("large.jpg", velmira::test::EncodeJpeg(jpeg, picture)));
    ExpectTiled(picture, 12);
}

TEST_F(BackgroundImage, JpegVariantsAreDrawn) {
    // Blocks of one colour survive compression nearly unchanged.
    TestPicture picture{24, 16, {}};
    const std::uint32_t colours[] = {0xFF0000, 0x00C000, 0x2040FF, 0xF0F0F0, 0x101010, 0x808000};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) picture.values.push_back(colours[(y / 8) * 3 + x / 8]);
    const struct {
        const char* name;
        velmira::test::JpegColor color;
        bool progressive;
    } cases[] = {
        {"baseline.jpg", velmira::test::JpegColor::YCbCr, false},
        {"progressive.jpeg", velmira::test::JpegColor::YCbCr, true},
        {"CMYK.JPG", velmira::test::JpegColor::Cmyk, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        velmira::test::JpegFormat format;
        format.color = c.color;
        format.progressive = c.progressive;
        format.quality = 100;
        format.hSampling = format.vSampling = 1;
        form->Background().LoadPictureFile(Write(c.name, velmira::test::EncodeJpeg(format, picture)));
        for (int by = 0; by < 188; by += 8)
            for (int bx = 0; bx < 163; bx += 8) {
                const int x = std::min(bx + 4, 162), y = std::min(by + 4, 187);
                ASSERT_LE(ChannelDistance(Preview(x, y), ToColorRef(picture.At(x % 24, y % 16))), 12)
                    << x << "," << y;
            }
    }
    // Greyscale comes out grey.
    velmira::test::JpegFormat grey;
    grey.color = velmira::test::JpegColor::Grayscale;
    grey.quality = 100;
    grey.hSampling = grey.vSampling = 1;
    form->Background().LoadPictureFile(Write("grey.jpg", velmira::test::EncodeJpeg(grey, Solid(8, 8, 0x606060))));
    EXPECT_LE(ChannelDistance(Preview(50, 50), RGB(0x60, 0x60, 0x60)), 3);
}

}  // namespace
}  // namespace backgroundtest
