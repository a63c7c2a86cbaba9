#pragma once
// A fresh main window per test, a folder of pictures written by the test beside the executable, and the
// ways a user hands the window a picture: typing a path and pressing Enter, and dropping files from the shell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "picture/BmpDecoder.h"
#include "support/PictureWriter.h"
#include "ui/Dpi.h"
#include "support/MainWindowTest.h"
#include "support/WindowTestSupport.h"

namespace backgroundtest {

inline COLORREF ToColorRef(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The largest difference of one channel between two colours.
inline int ChannelDistance(COLORREF a, COLORREF b) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        worst = std::max(worst, d < 0 ? -d : d);
    }
    return worst;
}

class BackgroundWindow : public testsupport::MainWindowTest {
protected:
    static constexpr COLORREF kBackColour = RGB(0x12, 0x34, 0x56);

    void SetUp() override;
    void TearDown() override;

    // Writes a file into the test's picture folder and returns its full path.
    std::string Write(const std::string& name, const std::string& bytes);
    std::string PathOf(const std::string& name) const { return folder + name; }

    // Ticks or unticks the box as a click does.
    void Click(ui::CheckBox& box);
    // Types the text into the picture path's edit (replacing what it shows) and presses Enter through the
    // message loop; returns the key as the edit's key-press handling left it.
    char TypeAndPressEnter(const std::string& text);
    // Sends the window a shell drop of these files, in this order.
    void Drop(const std::vector<std::string>& paths);

    COLORREF Preview(int x, int y) { return form->ImageBackG.Picture().Pixel(x, y); }
    bool PreviewIsUniform(COLORREF colour);
    // The background colour the edit is painted with, as the edit asks its parent for it.
    COLORREF EditBackgroundColour();

    std::string folder;
};

// The background picture's tests: pictures written as BMP files, and the preview held against them.
using velmira::test::BmpCompression;
using velmira::test::BmpFormat;
using velmira::test::BmpHeader;
using velmira::test::EncodeBmp;
using velmira::test::GradientPicture;
using velmira::test::IndexPicture;
using velmira::test::TestPicture;

inline const std::string kDamagedMessage = std::string(velmira::kBitmapErrorMessage) + ".";
inline const std::string kUnsupportedMessage = "未対応の画像フォーマットです。";

inline std::string Bmp24(const TestPicture& picture) {
    return EncodeBmp(BmpFormat{}, picture);
}

// A picture of one colour.
inline TestPicture Solid(int width, int height, std::uint32_t rgb) {
    return TestPicture{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, rgb)};
}

inline // A palette of `colors` entries that differ in every channel.
std::vector<std::uint32_t> Palette(int colors) {
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < colors; ++i)
        palette.push_back(static_cast<std::uint32_t>((i * 37 + 11) & 0xFF) << 16 |
                          static_cast<std::uint32_t>((i * 91 + 60) & 0xFF) << 8 |
                          static_cast<std::uint32_t>((255 - i * 53) & 0xFF));
    return palette;
}

class BackgroundImage : public BackgroundWindow {
protected:
    // Every pixel of the preview shows the picture's pixel at the same place modulo its size.
    void ExpectTiled(const TestPicture& picture, int tolerance = 0,
                     const std::vector<std::uint32_t>* palette = nullptr) {
        int failures = 0;
        const int width = form->ImageBackG.Picture().Width(), height = form->ImageBackG.Picture().Height();
        EXPECT_EQ(width, ui::ScaleLayout(163, form->Dpi()));
        EXPECT_EQ(height, ui::ScaleLayout(188, form->Dpi()));
        for (int y = 0; y < height && failures < 5; ++y)
            for (int x = 0; x < width && failures < 5; ++x) {
                std::uint32_t value = picture.At(x % picture.width, y % picture.height);
                if (palette) value = (*palette)[value];
                const COLORREF shown = Preview(x, y);
                if (ChannelDistance(shown, ToColorRef(value)) > tolerance) {
                    ADD_FAILURE() << "preview at " << x << "," << y << " shows " << std::hex << shown
                                  << ", the picture has " << value;
                    ++failures;
                }
            }
    }
    // The window moved to a monitor at 150%, as the system reports it.
    void MoveToA150PercentMonitor() {
        const RECT suggested{100, 50, 100 + 710, 50 + 520};
        ::SendMessageA(form->Handle(), ui::kWmDpiChanged, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        ASSERT_EQ(form->Dpi(), 144u);
    }
    void LoadGoodPicture(std::uint32_t rgb, const std::string& name = "good.bmp") {
        form->Background().LoadPictureFile(Write(name, Bmp24(Solid(8, 8, rgb))));
        ASSERT_TRUE(PreviewIsUniform(ToColorRef(rgb)));
    }
};

}  // namespace backgroundtest
