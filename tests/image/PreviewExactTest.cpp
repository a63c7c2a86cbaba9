// The preview after loading a picture larger than itself is, pixel for pixel, what a full decode of the file
// tiled from the top-left corner would show, although the window decodes only the part it can show.
// The full decodes here are independent of the program's: plain libjpeg for JPEG, the written pixels for BMP.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "support/PictureWriter.h"
#include "support/WindowTestSupport.h"

namespace {

using velmira::test::TestPicture;

class PreviewExact : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::RemoveSettings();
        folder = testsupport::ProgramFolder() + "preview_exact\\";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        form = testsupport::NewMainForm();
        form->Show();
        testsupport::PumpPending();
    }
    void TearDown() override {
        form.reset();
        for (const std::string& path : written) ::DeleteFileA(path.c_str());
        ::RemoveDirectoryA(folder.c_str());
        testsupport::RemoveSettings();
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder + name;
        testsupport::WriteFile(path, bytes);
        written.push_back(path);
        return path;
    }

    // Every pixel of the preview against the full picture tiled from the corner; stops at the first mismatch.
    void ExpectPreviewShows(const TestPicture& full) {
        ASSERT_GT(full.width, 0);
        ASSERT_GT(full.height, 0);
        const ui::Canvas& preview = form->ImageBackG.Picture();
        for (int y = 0; y < preview.Height(); ++y)
            for (int x = 0; x < preview.Width(); ++x) {
                const std::uint32_t rgb = full.At(x % full.width, y % full.height);
                const COLORREF expected = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
                ASSERT_EQ(preview.Pixel(x, y), expected) << "at " << x << "," << y;
            }
    }

    std::unique_ptr<TMainForm> form;
    std::string folder;
    std::vector<std::string> written;
};

struct Size {
    int width;
    int height;
};

// Wider and taller than the preview, only wider (tiles repeat downwards), only taller (tiles repeat across).
const Size kSizes[] = {{1203, 811}, {1000, 100}, {90, 700}};

TEST_F(PreviewExact, JpegLargerThanThePreviewEqualsLibjpegsFullDecode) {
    using velmira::test::JpegColor;
    const struct {
        const char* name;
        velmira::test::JpegFormat format;
    } variants[] = {
        {"4:2:0", {JpegColor::YCbCr, 2, 2, false, 0, 90}},
        {"4:2:2", {JpegColor::YCbCr, 2, 1, false, 0, 90}},
        {"4:4:4", {JpegColor::YCbCr, 1, 1, false, 0, 90}},
        {"4:1:1 restarts", {JpegColor::YCbCr, 4, 1, false, 1, 90}},
        {"progressive 4:2:0", {JpegColor::YCbCr, 2, 2, true, 0, 80}},
        {"greyscale", {JpegColor::Grayscale, 1, 1, false, 0, 90}},
    };
    for (const auto& v : variants) {
        for (const Size& size : kSizes) {
            SCOPED_TRACE(std::string(v.name) + " " + std::to_string(size.width) + "x" + std::to_string(size.height));
            const std::string file =
                velmira::test::EncodeJpeg(v.format, velmira::test::GradientPicture(size.width, size.height));
            form->Background().LoadPictureFile(Write("photo.jpg", file));
            EXPECT_EQ(form->EditBackImage.Text(), folder + "photo.jpg");
            ExpectPreviewShows(velmira::test::DecodeJpegWithLibjpeg(file));
        }
    }
}

TEST_F(PreviewExact, BmpLargerThanThePreviewShowsTheWrittenPixels) {
    using velmira::test::BmpFormat;
    for (const Size& size : kSizes) {
        const TestPicture picture = velmira::test::GradientPicture(size.width, size.height);
        const TestPicture indices = velmira::test::IndexPicture(size.width, size.height, 256);
        std::vector<std::uint32_t> palette;
        for (std::uint32_t i = 0; i < 256; ++i) palette.push_back(i * 0x010203u & 0xFFFFFF);
        TestPicture paletted = indices;
        for (std::uint32_t& value : paletted.values) value = palette[value];

        BmpFormat bottomUp;
        BmpFormat topDown;
        topDown.topDown = true;
        BmpFormat eightBit;
        eightBit.bitsPerPixel = 8;
        eightBit.palette = palette;
        const struct {
            const char* name;
            std::string file;
            const TestPicture& shown;
        } cases[] = {
            {"24-bit bottom-up", velmira::test::EncodeBmp(bottomUp, picture), picture},
            {"24-bit top-down", velmira::test::EncodeBmp(topDown, picture), picture},
            {"8-bit bottom-up", velmira::test::EncodeBmp(eightBit, indices), paletted},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(size.width) + "x" + std::to_string(size.height));
            form->Background().LoadPictureFile(Write("picture.bmp", c.file));
            ExpectPreviewShows(c.shown);
        }
    }
}

}  // namespace
