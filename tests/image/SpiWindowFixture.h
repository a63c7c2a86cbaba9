#pragma once
// The fixture of the tests of the image plug-ins seen from the main window: the test plug-in DLLs (tests/plugins)
// copied into fresh folders that the shell's folder browser can find, pictures beside them, and the preview read
// back.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/MainForm.h"
#include "support/MainWindowTest.h"
#include "support/TestFolders.h"
#include "support/WindowTestSupport.h"

namespace spiwindow {


inline constexpr char kFixedFilter[] =
    "ｲﾒｰｼﾞﾌｧｲﾙ|;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|BMPﾌｧｲﾙ(*.bmp)|*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*";
inline constexpr char kPpmFilter[] =
    "ｲﾒｰｼﾞﾌｧｲﾙ|;*.ppm;*.pgm;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|PPM/PGM|*.ppm;*.pgm|"
    "BMPﾌｧｲﾙ(*.bmp)|*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*";
inline constexpr char kTwoPairsFilter[] =
    "ｲﾒｰｼﾞﾌｧｲﾙ|;*.bbb;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|Second pair|*.bbb|"
    "BMPﾌｧｲﾙ(*.bmp)|*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*";
inline constexpr char kUnsupported[] = "未対応の画像フォーマットです。";
inline constexpr char kPrompt[] = "Plug-in のあるパスを指定して下さい。";

// 3 x 2: red green blue / white black grey.
inline const std::string kP6 = std::string("P6\n3 2\n255\n") +
                        std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF\x00\x00\x00\x80\x80\x80", 18);
// The same picture as a PNG file.
inline const std::string kPng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x03\x00\x00\x00\x02\x08\x02\x00"
    "\x00\x00\x12\x16\xF1\x4D\x00\x00\x00\x15\x49\x44\x41\x54\x78\xDA\x63\xF8\xCF\xC0\xC0\x00\xC1\xFF\xFF\x83\xE8"
    "\x86\x86\x06\x00\x47\xCF\x07\x7B\x62\x21\x8F\x81\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    78);
inline const COLORREF kP6Tile[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                {RGB(255, 255, 255), RGB(0, 0, 0), RGB(128, 128, 128)}};
inline constexpr int kPreviewWidth = 163;
inline constexpr int kPreviewHeight = 188;

inline std::string BuiltPlugin(const std::string& name) {
    return testsupport::ProgramFolder() + VELMIRA_SPI_PLUGIN_DIR "\\" + name + ".spi";
}

class SpiWindowTest : public testsupport::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // A plain grey background, so that a picture that did not arrive shows.
        testsupport::SetBackColour(*form, "40", "40", "40");
    }
    void TearDown() override {
        MainWindowTest::TearDown();  // unloads the plug-ins before their files go
        for (const std::string& folder : folders) testsupport::RemoveTree(folder);
    }

    // A new empty folder that the folder browser can find, without a trailing backslash; removed after the test.
    std::string NewFolder() {
        static int serial = 0;
        std::string folder = testsupport::BrowsableFolderRoot() + "\\velmira-spiw-" + std::to_string(++serial);
        EXPECT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        folders.push_back(folder);
        return folder;
    }

    // A folder holding the given test plug-ins under the given file names.
    std::string PluginFolder(const std::vector<std::pair<std::string, std::string>>& plugins) {
        const std::string folder = NewFolder();
        for (const auto& [plugin, as] : plugins)
            EXPECT_TRUE(::CopyFileA(BuiltPlugin(plugin).c_str(), (folder + "\\" + as).c_str(), FALSE)) << plugin;
        return folder;
    }

    void UsePlugins(const std::string& folder) {
        form->Background().SetSpiPath(folder);
        form->Background().SetSPI();
        testsupport::WaitForPluginDescriptions(*form);
    }

    std::string PictureFile(const std::string& name, const std::string& bytes) {
        const std::string path = pictures.empty() ? (pictures = NewFolder()) : pictures;
        testsupport::WriteFile(path + "\\" + name, bytes);
        return path + "\\" + name;
    }

    std::vector<std::string> LoadedNames() const {
        std::vector<std::string> names;
        for (auto* p = form->Background().SpiLoader().GetFirst(); p; p = p->Next.get())
            names.push_back(testsupport::FileNameOf(p->Path));
        return names;
    }

    // The whole preview, row by row.
    std::vector<COLORREF> Preview() {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < kPreviewHeight; ++y)
            for (int x = 0; x < kPreviewWidth; ++x) pixels.push_back(form->ImageBackG.Picture().Pixel(x, y));
        return pixels;
    }
    static std::vector<COLORREF> TiledP6() {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < kPreviewHeight; ++y)
            for (int x = 0; x < kPreviewWidth; ++x) pixels.push_back(kP6Tile[y % 2][x % 3]);
        return pixels;
    }

    std::vector<std::string> folders;
    std::string pictures;
};

}  // namespace spiwindow
