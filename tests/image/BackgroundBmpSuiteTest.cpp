// The public BMP corpus loaded into the real preview: good files show their picture, questionable and bad ones
// a sensible picture or the damaged-bitmap message, and none crashes or hangs.
#include <gtest/gtest.h>

#include <set>

#include "image/BackgroundFixture.h"
#include "picture/BmpDecoder.h"
#include "support/PictureWriter.h"
#include "ui/Application.h"
#include "ui/UniqueHandle.h"

namespace backgroundtest {
namespace {

std::string SuiteFolder() {
    // The corpus lies on the Linux side; Wine shows the whole file system as drive Z:.
    std::string folder = std::string("Z:") + VELMIRA_TESTDATA + "/bmpsuite/";
    for (char& c : folder)
        if (c == '/') c = '\\';
    return folder;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA match{};
    ui::UniqueFind search(::FindFirstFileA((folder + "*.bmp").c_str(), &match));
    for (bool more = static_cast<bool>(search); more; more = ::FindNextFileA(search.get(), &match))
        names.push_back(match.cFileName);
    std::sort(names.begin(), names.end());
    return names;
}

// The picture shown before each file of the corpus: one colour that none of them has everywhere.
std::string EncodeBefore() {
    velmira::test::TestPicture picture{4, 4, std::vector<std::uint32_t>(16, 0x214365)};
    return velmira::test::EncodeBmp(velmira::test::BmpFormat{}, picture);
}

class BackgroundBmpSuite : public BackgroundWindow {
protected:
    // Loads as a user's Enter would: a decoder's error goes to the standard error display.
    void Load(const std::string& path) {
        try {
            form->Background().LoadPictureFile(path);
        } catch (const std::exception& e) {
            ui::Application::Get().ShowException(e);
        }
    }
    // True when the preview repeats itself with the picture's period, as a tiled picture does.
    bool TiledWithPeriod(int width, int height) {
        for (int y = 0; y < 188; y += 7)
            for (int x = 0; x + width < 163; x += 5)
                if (Preview(x, y) != Preview(x + width, y)) return false;
        for (int y = 0; y + height < 188; y += 5)
            for (int x = 0; x < 163; x += 7)
                if (Preview(x, y) != Preview(x, y + height)) return false;
        return true;
    }
};

TEST_F(BackgroundBmpSuite, EveryGoodFileShowsItsPicture) {
    const std::string folder = SuiteFolder() + "g\\";
    const std::vector<std::string> names = FilesIn(folder);
    ASSERT_EQ(names.size(), 27u) << folder;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        form->ImageBackG.Picture().Fill(RGB(1, 2, 3));
        testsupport::MessageBoxRecorder boxes;
        Load(folder + name);
        EXPECT_TRUE(boxes.messages.empty()) << (boxes.messages.empty() ? "" : boxes.messages[0].text);
        EXPECT_EQ(form->EditBackImage.Text(), folder + name);
        // Every good picture is 127 x 64 or close to it and fills the preview with its tiles.
        EXPECT_FALSE(PreviewIsUniform(RGB(1, 2, 3)));
        const std::set<std::string> oddWidths = {"pal8w124.bmp", "pal8w125.bmp", "pal8w126.bmp"};
        const int width = oddWidths.count(name) ? std::stoi(name.substr(5, 3)) : 127;
        // pal8w124..126 are as high as they are wide minus 63; the non-square one is half as high.
        const int height = oddWidths.count(name) ? width - 63 : name == "pal8nonsquare.bmp" ? 32 : 64;
        EXPECT_TRUE(TiledWithPeriod(width, height));
    }
}

TEST_F(BackgroundBmpSuite, GoodFilesShowTheKnownPixels) {
    // Sampled from an independent decoder; 16-bit files may differ by one where readers round differently.
    struct Sample {
        const char* name;
        COLORREF pixels[5];  // at (0,0), (126,0), (0,63), (63,32), (100,50)
    };
    const Sample samples[] = {
        {"pal1.bmp", {RGB(255, 255, 255), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0)}},
        {"pal4rle.bmp", {RGB(255, 0, 0), RGB(255, 128, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 128, 0)}},
        {"pal8os2.bmp", {RGB(255, 0, 0), RGB(0x99, 0xAA, 0xCC), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0x66, 0x80, 0x66)}},
        {"pal8rle.bmp", {RGB(255, 0, 0), RGB(0x99, 0xAA, 0xCC), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0x66, 0x80, 0x66)}},
        {"pal8topdown.bmp", {RGB(255, 0, 0), RGB(0x99, 0xAA, 0xCC), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0x66, 0x80, 0x66)}},
        {"rgb24.bmp", {RGB(255, 0, 0), RGB(0x9F, 0x9F, 0xBD), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0x6D, 0x6D, 0x71)}},
        {"rgb32bf.bmp", {RGB(255, 0, 0), RGB(0x9F, 0x9F, 0xBD), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0x6D, 0x6D, 0x71)}},
        {"rgb16-565.bmp", {RGB(255, 0, 0), RGB(0x9C, 0x9E, 0xBD), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0x6B, 0x6D, 0x73)}},
    };
    const int at[5][2] = {{0, 0}, {126, 0}, {0, 63}, {63, 32}, {100, 50}};
    const std::string folder = SuiteFolder() + "g\\";
    for (const Sample& s : samples) {
        Load(folder + s.name);
        for (int i = 0; i < 5; ++i)
            EXPECT_LE(ChannelDistance(Preview(at[i][0], at[i][1]), s.pixels[i]), 1)
                << s.name << " at " << at[i][0] << "," << at[i][1] << ": " << std::hex << Preview(at[i][0], at[i][1]);
    }
}

TEST_F(BackgroundBmpSuite, QuestionableBadAndUnusualFilesShowAPictureOrTheDamagedMessage) {
    const std::string damaged = std::string(velmira::kBitmapErrorMessage) + ".";
    int shown = 0, refused = 0;
    for (const char* group : {"q\\", "b\\", "x\\"}) {
        const std::string folder = SuiteFolder() + group;
        const std::vector<std::string> names = FilesIn(folder);
        ASSERT_FALSE(names.empty()) << folder;
        for (const std::string& name : names) {
            SCOPED_TRACE(folder + name);
            const std::string before = Write("before.bmp", EncodeBefore());
            Load(before);
            testsupport::MessageBoxRecorder boxes;
            Load(folder + name);
            EXPECT_EQ(form->Background().ImagePath(), folder + name);
            if (boxes.messages.empty()) {
                // A picture was drawn: the edit names it.
                EXPECT_EQ(form->EditBackImage.Text(), folder + name);
                ++shown;
            } else {
                ASSERT_EQ(boxes.messages.size(), 1u);
                EXPECT_EQ(boxes.messages[0].text, damaged);
                EXPECT_EQ(form->EditBackImage.Text(), before);
                EXPECT_TRUE(PreviewIsUniform(RGB(0x21, 0x43, 0x65)));
                ++refused;
            }
        }
    }
    // The corpus holds both kinds.
    EXPECT_GT(shown, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace backgroundtest
