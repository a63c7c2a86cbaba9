// The image plug-ins seen from the main window: the open-file filter they build, pictures they decode into the
// preview, and plug-ins that fail, crash or hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/SpiWindowFixture.h"

namespace {

using namespace spiwindow;

TEST_F(SpiWindowTest, TheFilterListsThePluginsOfTheFolderInSearchOrder) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> plugins;
        std::vector<std::string> loaded;
        std::string filter;
    };
    const Case cases[] = {
        {"no plug-ins", {}, {}, kFixedFilter},
        {"one", {{"ppm", "ppm.spi"}}, {"ppm.spi"}, kPpmFilter},
        {"two, the unusable skipped",
         {{"ppm", "b_ppm.SPI"}, {"noexports", "a_noexports.spi"}, {"twopairs", "A_two.spi"}},
         {"A_two.spi", "b_ppm.SPI"},
         "ｲﾒｰｼﾞﾌｧｲﾙ|;*.bbb;*.ppm;*.pgm;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|Second pair|*.bbb|"
         "PPM/PGM|*.ppm;*.pgm|BMPﾌｧｲﾙ(*.bmp)|*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*"},
    };
    for (const Case& c : cases) {
        const std::string folder = PluginFolder(c.plugins);
        for (const std::string& path : {folder, folder + "\\"}) {  // as chosen, and as the default is spelt
            UsePlugins(path);
            EXPECT_EQ(LoadedNames(), c.loaded) << c.what << " " << path;
            EXPECT_EQ(form->Background().SpiLoader().GetCount(), static_cast<int>(c.loaded.size())) << c.what;
            EXPECT_EQ(form->Background().OpenDialog().Filter, c.filter) << c.what;
        }
    }
}

TEST_F(SpiWindowTest, RebuildingTheFilterKeepsTheSelectedEntry) {
    form->Background().OpenDialog().FilterIndex = 4;
    UsePlugins(PluginFolder({{"ppm", "ppm.spi"}}));
    EXPECT_EQ(form->Background().OpenDialog().FilterIndex, 4);
    UsePlugins(NewFolder());
    EXPECT_EQ(form->Background().OpenDialog().FilterIndex, 4);
}

TEST_F(SpiWindowTest, APictureDecodedByAPluginIsTiledOverThePreview) {
    UsePlugins(PluginFolder({{"ppm", "ppm.spi"}}));
    const std::string path = PictureFile("tile.ppm", kP6);
    testsupport::MessageBoxRecorder boxes;

    form->Background().LoadPictureFile(path);

    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_EQ(Preview(), TiledP6());
    EXPECT_EQ(form->EditBackImage.Text(), path);
    EXPECT_EQ(form->Background().ImagePath(), path);
}

TEST_F(SpiWindowTest, TheFirstPluginThatAcceptsTheFileDecodesIt) {
    struct Case {
        const char* first;
        const char* second;
        bool decoded;
    };
    const Case cases[] = {{"ppm", "failpicture", true}, {"failpicture", "ppm", false}};
    const std::string path = PictureFile("either.ppm", kP6);
    for (const Case& c : cases) {
        testsupport::SetBackColour(*form, "40", "40", "40");
        const std::vector<COLORREF> before = Preview();
        UsePlugins(PluginFolder({{c.first, "a.spi"}, {c.second, "b.spi"}}));
        testsupport::MessageBoxRecorder boxes;

        form->Background().LoadPictureFile(path);

        EXPECT_EQ(Preview() == TiledP6(), c.decoded) << c.first;
        EXPECT_EQ(boxes.messages.size(), c.decoded ? 0u : 1u) << c.first;
        if (!c.decoded) {
            EXPECT_EQ(Preview(), before) << c.first;
        }
    }
}

TEST_F(SpiWindowTest, AFailedDecodeSaysSoAndLeavesThePreviewAsItWas) {
    struct Case {
        const char* plugin;
        const char* file;
    };
    const Case cases[] = {
        {"failpicture", "x.fail"},  // the size comes, the picture does not
        {"noinfo", "x.noi"},        // no picture information at all
        {"ppm", "x.png"},           // nobody accepts it
    };
    for (const Case& c : cases) {
        UsePlugins(PluginFolder({{"ppm", "a_ppm.spi"}, {c.plugin, "b_only.spi"}}));
        // A picture that loaded before stays on show.
        const std::string good = PictureFile("good.ppm", kP6);
        form->Background().LoadPictureFile(good);
        ASSERT_EQ(Preview(), TiledP6()) << c.plugin;
        const std::string bad = PictureFile(c.file, "not a PPM");
        testsupport::MessageBoxRecorder boxes;

        form->Background().LoadPictureFile(bad);

        ASSERT_EQ(boxes.messages.size(), 1u) << c.plugin;
        EXPECT_EQ(boxes.messages[0].text, kUnsupported) << c.plugin;
        EXPECT_EQ(boxes.messages[0].caption, "Velmira") << c.plugin;
        EXPECT_EQ(Preview(), TiledP6()) << c.plugin;
        EXPECT_EQ(form->EditBackImage.Text(), good) << c.plugin;
        EXPECT_EQ(form->Background().ImagePath(), bad) << c.plugin;
    }
}

// The window's helper with a time limit of three seconds for each call into a plug-in rather than the program's
// ten: a plug-in made to hang costs the test less, and is told from one that answers all the same.
class HangingPluginTest : public SpiWindowTest {
protected:
    HangingPluginTest() { answerTimeoutMs = 3000; }
};

// A plug-in that crashes, or never returns and is ended after the time the program waits, takes only the helper
// process with it: the program says which plug-in failed, the next picture loads through a fresh helper, and the
// settings changed before are written at close.
TEST_F(HangingPluginTest, APluginThatCrashesOrHangsLeavesAMessageAndTheProgramWorking) {
    struct Case {
        const char* bytes;
        const char* message;
    };
    const Case cases[] = {{"HOSTC", "が異常終了しました."}, {"HOSTE", "が応答しないため中止しました."}};
    const std::string folder = PluginFolder({{"hostile", "hostile.spi"}, {"ppm", "ppm.spi"}});
    UsePlugins(folder);
    testsupport::SetTextColour(*form, "12", "34", "56");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        testsupport::MessageBoxRecorder boxes;
        const std::string bad = PictureFile("bad.hst", c.bytes);
        form->EditBackImage.SetText(bad);
        char enter = '\r';
        form->EditBackImageKeyPress(enter);

        ASSERT_EQ(boxes.messages.size(), 1u);
        EXPECT_EQ(boxes.messages[0].text, folder + "\\hostile.spi" + c.message);
        EXPECT_EQ(boxes.messages[0].caption, "Velmira");
        EXPECT_EQ(boxes.messages[0].flags & MB_ICONERROR, static_cast<UINT>(MB_ICONERROR));
        const std::string good = PictureFile("good.ppm", kP6);
        form->Background().LoadPictureFile(good);
        EXPECT_EQ(boxes.messages.size(), 1u);
        EXPECT_EQ(Preview(), TiledP6());
        EXPECT_EQ(form->EditBackImage.Text(), good);
    }
    form->FormClose();
    const std::string settings = testsupport::ReadFile(testsupport::SettingsPath());
    EXPECT_NE(settings.find("FR=12"), std::string::npos) << settings;
    EXPECT_NE(settings.find("Path=" + pictures + "\\good.ppm"), std::string::npos) << settings;
}

// A plug-in whose every information call takes 6 s, and which always has another pair, holds the window for none
// of it: the window goes on taking input while it is described, the plug-in is named once when its 10 s are up,
// the others join the filter, and the next reload takes it from the cache without asking it again.
TEST_F(SpiWindowTest, ASlowPluginIsDescribedWhileTheWindowTakesInput) {
    const std::string folder = PluginFolder({{"slowpairs", "a_slow.spi"}, {"ppm", "b_ppm.spi"}});
    testsupport::MessageBoxRecorder boxes;
    const DWORD start = GetTickCount();
    form->Background().SetSpiPath(folder);
    form->Background().SetSPI();
    EXPECT_LT(GetTickCount() - start, 2000u) << "the window waits for no description";
    ASSERT_TRUE(form->Background().SpiLoader().Describing());
    testsupport::SetTextColour(*form, "12", "34", "56");
    EXPECT_EQ(form->EditFR.Text(), "12") << "input taken while the plug-ins are described";
    EXPECT_TRUE(form->Background().SpiLoader().Describing());

    ASSERT_TRUE(testsupport::PumpUntil([&] { return !form->Background().SpiLoader().Describing(); }, 30000));
    EXPECT_LT(GetTickCount() - start, 20000u);
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, folder + "\\a_slow.spi" "が応答しないため中止しました.");
    EXPECT_EQ(LoadedNames(), std::vector<std::string>{"b_ppm.spi"});
    EXPECT_EQ(form->Background().OpenDialog().Filter, kPpmFilter);

    form->Background().SetSPI();
    EXPECT_FALSE(form->Background().SpiLoader().Describing()) << "known from the cache";
    EXPECT_EQ(boxes.messages.size(), 1u) << "named once";
}

TEST_F(SpiWindowTest, AnotherFolderUnloadsTheOldPluginsAndRebuildsTheFilter) {
    const std::string first = PluginFolder({{"ppm", "old.spi"}});
    UsePlugins(first);
    const std::string oldPath = first + "\\old.spi";
    form->Background().LoadPictureFile(PictureFile("before.ppm", kP6));  // the helper has the plug-in loaded
    ASSERT_EQ(Preview(), TiledP6());

    UsePlugins(PluginFolder({{"twopairs", "new.spi"}}));

    EXPECT_TRUE(::DeleteFileA(oldPath.c_str())) << "no process holds the old plug-in's file";
    EXPECT_EQ(LoadedNames(), std::vector<std::string>{"new.spi"});
    EXPECT_EQ(form->Background().SpiLoader().GetCount(), 1);
    EXPECT_EQ(form->Background().OpenDialog().Filter, kTwoPairsFilter);

    // The old plug-in's format is no longer understood.
    testsupport::MessageBoxRecorder boxes;
    form->Background().LoadPictureFile(PictureFile("x.ppm", kP6));
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, kUnsupported);
}

TEST_F(SpiWindowTest, AnEmptyFolderSettingSearchesTheRootOfTheCurrentDrive) {
    const std::string folder = NewFolder();
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(folder.c_str()));
    const std::string name = "velmira-root-" + std::to_string(::GetCurrentProcessId()) + ".SPI";
    const std::string root = folder.substr(0, 3) + name;  // the root of the temporary folder's drive
    const bool installed = ::CopyFileA(BuiltPlugin("ppm").c_str(), root.c_str(), FALSE) != FALSE;

    UsePlugins("");
    const std::vector<std::string> loaded = LoadedNames();
    const std::string filter = form->Background().OpenDialog().Filter;
    UsePlugins(folder);  // lets the root's plug-in go again
    if (installed) ::DeleteFileA(root.c_str());
    ::SetCurrentDirectoryA(previous);

    EXPECT_EQ(form->Background().SpiLoader().GetFolder(), folder);
    EXPECT_EQ(filter.rfind("ｲﾒｰｼﾞﾌｧｲﾙ|;", 0), 0u) << filter;
    if (!installed) GTEST_SKIP() << "the drive's root is not writable here";
    EXPECT_NE(std::find(loaded.begin(), loaded.end(), name), loaded.end());
    EXPECT_NE(filter.find("|PPM/PGM|*.ppm;*.pgm|"), std::string::npos) << filter;
}

}  // namespace
