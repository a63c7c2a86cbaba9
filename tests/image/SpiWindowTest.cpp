// The image plug-ins seen from the main window: the open-file filter they build, pictures they decode into the
// preview, and the plug-in folder chosen in the shell's real folder browser. The test plug-in DLLs
// (tests/plugins) are copied into a fresh folder for every test.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "image/SpiHostProcess.h"
#include "image/SpiLoadClass.h"
#include "image/FolderBrowserDriver.h"
#include "support/TestFolders.h"
#include "support/MainWindowTest.h"
#include "support/WindowTestSupport.h"

namespace {

using testsupport::FolderBrowserDriver;
using Answer = testsupport::FolderBrowserDriver::Answer;

constexpr char kFixedFilter[] =
    "ｲﾒｰｼﾞﾌｧｲﾙ|;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|BMPﾌｧｲﾙ(*.bmp)|*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*";
constexpr char kPpmFilter[] =
    "ｲﾒｰｼﾞﾌｧｲﾙ|;*.ppm;*.pgm;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|PPM/PGM|*.ppm;*.pgm|"
    "BMPﾌｧｲﾙ(*.bmp)|*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*";
constexpr char kTwoPairsFilter[] =
    "ｲﾒｰｼﾞﾌｧｲﾙ|;*.bbb;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|Second pair|*.bbb|"
    "BMPﾌｧｲﾙ(*.bmp)|*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*";
constexpr char kUnsupported[] = "未対応の画像フォーマットです。";
constexpr char kPrompt[] = "Plug-in のあるパスを指定して下さい。";

// 3 x 2: red green blue / white black grey.
const std::string kP6 = std::string("P6\n3 2\n255\n") +
                        std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF\x00\x00\x00\x80\x80\x80", 18);
// The same picture as a PNG file.
const std::string kPng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x03\x00\x00\x00\x02\x08\x02\x00"
    "\x00\x00\x12\x16\xF1\x4D\x00\x00\x00\x15\x49\x44\x41\x54\x78\xDA\x63\xF8\xCF\xC0\xC0\x00\xC1\xFF\xFF\x83\xE8"
    "\x86\x86\x06\x00\x47\xCF\x07\x7B\x62\x21\x8F\x81\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    78);
const COLORREF kP6Tile[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                {RGB(255, 255, 255), RGB(0, 0, 0), RGB(128, 128, 128)}};
constexpr int kPreviewWidth = 163;
constexpr int kPreviewHeight = 188;

std::string BuiltPlugin(const std::string& name) {
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

    form->Background().LoadImageA(path);

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

        form->Background().LoadImageA(path);

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
        form->Background().LoadImageA(good);
        ASSERT_EQ(Preview(), TiledP6()) << c.plugin;
        const std::string bad = PictureFile(c.file, "not a PPM");
        testsupport::MessageBoxRecorder boxes;

        form->Background().LoadImageA(bad);

        ASSERT_EQ(boxes.messages.size(), 1u) << c.plugin;
        EXPECT_EQ(boxes.messages[0].text, kUnsupported) << c.plugin;
        EXPECT_EQ(boxes.messages[0].caption, "Velmira") << c.plugin;
        EXPECT_EQ(Preview(), TiledP6()) << c.plugin;
        EXPECT_EQ(form->EditBackImage.Text(), good) << c.plugin;
        EXPECT_EQ(form->Background().ImagePath(), bad) << c.plugin;
    }
}

// A plug-in that crashes, or never returns and is ended after the ten seconds the program waits, takes only the
// helper process with it: the program says which plug-in failed, the next picture loads through a fresh helper,
// and the settings changed before are written at close.
TEST_F(SpiWindowTest, APluginThatCrashesOrHangsLeavesAMessageAndTheProgramWorking) {
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
        const DWORD start = ::GetTickCount();
        form->EditBackImageKeyPress(enter);
        const DWORD elapsed = ::GetTickCount() - start;

        ASSERT_EQ(boxes.messages.size(), 1u);
        EXPECT_EQ(boxes.messages[0].text, folder + "\\hostile.spi" + c.message);
        EXPECT_EQ(boxes.messages[0].caption, "Velmira");
        EXPECT_EQ(boxes.messages[0].flags & MB_ICONERROR, static_cast<UINT>(MB_ICONERROR));
        if (c.bytes[4] == 'E') {
            EXPECT_GE(elapsed, velmira::kSpiHostAnswerTimeoutMs);
        }
        const std::string good = PictureFile("good.ppm", kP6);
        form->Background().LoadImageA(good);
        EXPECT_EQ(boxes.messages.size(), 1u);
        EXPECT_EQ(Preview(), TiledP6());
        EXPECT_EQ(form->EditBackImage.Text(), good);
    }
    form->FormClose();
    const std::string settings = testsupport::ReadFile(testsupport::SettingsPath());
    EXPECT_NE(settings.find("FR=12"), std::string::npos) << settings;
    EXPECT_NE(settings.find("Path=" + pictures + "\\good.ppm"), std::string::npos) << settings;
}

TEST_F(SpiWindowTest, AnotherFolderUnloadsTheOldPluginsAndRebuildsTheFilter) {
    const std::string first = PluginFolder({{"ppm", "old.spi"}});
    UsePlugins(first);
    const std::string oldPath = first + "\\old.spi";
    form->Background().LoadImageA(PictureFile("before.ppm", kP6));  // the helper has the plug-in loaded
    ASSERT_EQ(Preview(), TiledP6());

    UsePlugins(PluginFolder({{"twopairs", "new.spi"}}));

    EXPECT_TRUE(::DeleteFileA(oldPath.c_str())) << "no process holds the old plug-in's file";
    EXPECT_EQ(LoadedNames(), std::vector<std::string>{"new.spi"});
    EXPECT_EQ(form->Background().SpiLoader().GetCount(), 1);
    EXPECT_EQ(form->Background().OpenDialog().Filter, kTwoPairsFilter);

    // The old plug-in's format is no longer understood.
    testsupport::MessageBoxRecorder boxes;
    form->Background().LoadImageA(PictureFile("x.ppm", kP6));
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

// ---- The plug-in folder chosen in the shell's folder browser ------------------------------------------------

class PluginFolderTest : public SpiWindowTest {
protected:
    // Presses the button as the user does; the browser runs its modal loop inside the click.
    void ClickBtnSPI() { ::SendMessageA(form->BtnSPI.Handle(), BM_CLICK, 0, 0); }

    // Moves the browser's selection to `select` and confirms it; the driver waits for the tree to report each
    // selection, the program's preselection first.
    void ConfirmThroughBrowser(const std::string& select, std::vector<std::string>* preselected = nullptr) {
        FolderBrowserDriver driver(form->Handle(), Answer::Ok, select);
        ClickBtnSPI();
        ASSERT_TRUE(driver.Answered());
        if (preselected) *preselected = driver.Preselected();
    }
};

TEST_F(PluginFolderTest, ConfirmingAnotherFolderStoresItAndReloadsThePlugins) {
    const std::string first = PluginFolder({{"ppm", "old.spi"}});
    const std::string second = PluginFolder({{"twopairs", "new.spi"}});
    UsePlugins(first + "\\");
    std::vector<std::string> preselected;

    ConfirmThroughBrowser(second, &preselected);

    EXPECT_EQ(preselected, std::vector<std::string>{first + "\\"}) << "the folder in use";
    EXPECT_EQ(form->Background().SpiPath(), second);
    EXPECT_EQ(LoadedNames(), std::vector<std::string>{"new.spi"});
    EXPECT_EQ(form->Background().OpenDialog().Filter, kTwoPairsFilter);
    EXPECT_TRUE(::DeleteFileA((first + "\\old.spi").c_str())) << "no process holds the old plug-in's file";
}

TEST_F(PluginFolderTest, ConfirmingTheSameFolderStoresItWithoutTheBackslashAndReloads) {
    const std::string folder = PluginFolder({{"ppm", "ppm.spi"}});
    UsePlugins(folder + "\\");
    form->Background().OpenDialog().Filter = "stale";

    ConfirmThroughBrowser({});

    EXPECT_EQ(form->Background().SpiPath(), folder);
    EXPECT_EQ(form->Background().SpiLoader().GetFolder(), folder);
    EXPECT_EQ(LoadedNames(), std::vector<std::string>{"ppm.spi"});
    EXPECT_EQ(form->Background().OpenDialog().Filter, kPpmFilter);
}

// The bundled plug-in is part of the program: whatever folder is chosen its formats stay, after the folder's own
// plug-ins, and it is listed once when the folder is its own. A folder without plug-ins is said so and kept.
TEST_F(PluginFolderTest, EveryChosenFolderKeepsTheBundledFormatsAndOneWithoutPluginsIsSaidAndKept) {
    const std::string own = PluginFolder({});
    const std::string bundled = own + "\\velmira_wic.spi";
    ASSERT_TRUE(::CopyFileA((testsupport::ProgramFolder() + "..\\velmira_wic.spi").c_str(), bundled.c_str(), FALSE));
    const std::string saved = velmira::SpiLoadClass::BundledPlugin();
    velmira::SpiLoadClass::SetBundledPlugin(bundled);
    struct Case {
        const char* what;
        std::string folder;
        std::vector<std::string> loaded;
    };
    const Case cases[] = {
        {"the bundled plug-in's own folder", own, {"velmira_wic.spi"}},
        {"a folder with a plug-in", PluginFolder({{"ppm", "ppm.spi"}}), {"ppm.spi", "velmira_wic.spi"}},
        {"a folder without plug-ins", NewFolder(), {"velmira_wic.spi"}},
    };
    const std::string png = PictureFile("tile.png", kPng);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::MessageBoxRecorder boxes;
        ConfirmThroughBrowser(c.folder);
        EXPECT_EQ(form->Background().SpiPath(), c.folder);
        EXPECT_EQ(LoadedNames(), c.loaded);
        const std::string& filter = form->Background().OpenDialog().Filter;
        EXPECT_NE(filter.find("|PNG/GIF/TIFF/WebP/ICO ﾌｧｲﾙ|*.png;"), std::string::npos) << filter;
        if (c.loaded.size() == 1 && c.folder != own) {
            ASSERT_EQ(boxes.messages.size(), 1u);
            EXPECT_EQ(boxes.messages[0].text, c.folder + "にはPlug-inがありません。");
        } else {
            EXPECT_TRUE(boxes.messages.empty());
        }
        form->Background().LoadImageA(png);
        EXPECT_EQ(Preview(), TiledP6());
        testsupport::SetBackColour(*form, "40", "40", "40");
    }
    UsePlugins(NewFolder());  // lets the copy go before its folder is removed
    velmira::SpiLoadClass::SetBundledPlugin(saved);
}

TEST_F(PluginFolderTest, CancellingChangesNothing) {
    const std::string folder = PluginFolder({{"ppm", "ppm.spi"}});
    UsePlugins(folder + "\\");
    form->Background().OpenDialog().Filter = "kept";
    FolderBrowserDriver driver(form->Handle(), Answer::Cancel, NewFolder());

    ClickBtnSPI();

    ASSERT_TRUE(driver.Answered());
    EXPECT_EQ(driver.BrowserOwner(), form->Handle());
    EXPECT_NE(std::find(driver.Texts().begin(), driver.Texts().end(), kPrompt), driver.Texts().end());
    EXPECT_EQ(driver.Preselected(), std::vector<std::string>{folder + "\\"}) << "the folder in use";
    EXPECT_EQ(form->Background().SpiPath(), folder + "\\");
    EXPECT_EQ(form->Background().OpenDialog().Filter, "kept") << "no reload";
    EXPECT_EQ(LoadedNames(), std::vector<std::string>{"ppm.spi"});
}

TEST_F(PluginFolderTest, TheFirstClickOfAFreshStartOffersTheProgramsFolder) {
    // SetUp started without settings: the plug-in folder is the program's own.
    EXPECT_EQ(form->Background().SpiPath(), form->AppDir());
    EXPECT_TRUE(::IsWindowEnabled(form->BtnSPI.Handle())) << "usable with the picture switched off";
    FolderBrowserDriver driver(form->Handle(), Answer::Cancel);

    ClickBtnSPI();

    ASSERT_TRUE(driver.Answered());
    EXPECT_EQ(driver.Preselected(), std::vector<std::string>{form->AppDir()});
    EXPECT_EQ(form->Background().SpiPath(), form->AppDir());
}

TEST_F(PluginFolderTest, AChosenFolderIsUsedAgainAfterARestart) {
    const std::string folder = PluginFolder({{"ppm", "ppm.spi"}});
    ConfirmThroughBrowser(folder);
    form->FormClose();  // writes the settings, as closing the window does
    form.reset();

    form = std::make_unique<TMainForm>();

    EXPECT_EQ(form->Background().SpiPath(), folder);
    EXPECT_EQ(LoadedNames(), std::vector<std::string>{"ppm.spi"});
    EXPECT_EQ(form->Background().OpenDialog().Filter, kPpmFilter);
}

// ---- A new window's plug-ins: loaded while it is created, before a picture from the settings needs them ----

class StartupPluginTest : public SpiWindowTest {
protected:
    // Replaces SetUp's window with one started from these settings; nothing is dispatched from its queue.
    void Restart(const std::string& settings) {
        form.reset();
        testsupport::WriteFile(testsupport::SettingsPath(), settings);
        form = std::make_unique<TMainForm>();
    }
    static std::string SpiSetting(const std::string& folder) { return "[Option]\r\nSpi=" + folder + "\r\n"; }
};

// The plug-ins are listed while the window is created, by the helper; none of their code runs in the program.
// What the helper found is kept, so that the next start with the same plug-ins starts no process at all.
TEST_F(StartupPluginTest, ThePluginsAreListedWhileTheWindowIsCreatedAndUnchangedOnesStartNoHelper) {
    const std::string folder = PluginFolder({{"ppm", "ppm.spi"}});
    for (const bool again : {false, true}) {
        Restart(SpiSetting(folder));

        EXPECT_EQ(::GetModuleHandleA((folder + "\\ppm.spi").c_str()), nullptr);
        EXPECT_EQ(LoadedNames(), std::vector<std::string>{"ppm.spi"});
        EXPECT_EQ(form->Background().OpenDialog().Filter, kPpmFilter);
        EXPECT_EQ(form->Background().SpiLoader().IsHostRunning(), !again) << (again ? "unchanged" : "first start");
    }
}

// A plug-in that crashes while it loads or says what it reads is named once, in the program's words; the program
// starts, and the other plug-ins and the picture from the settings work.
TEST_F(StartupPluginTest, PluginsThatCrashWhileTheyLoadAreNamedOnceAndTheOthersWork) {
    const std::string folder = PluginFolder({{"faultload", "a.spi"}, {"faultinfo", "b.spi"}, {"ppm", "c.spi"}});
    const std::string path = PictureFile("start.ppm", kP6);
    for (const bool again : {false, true}) {
        testsupport::MessageBoxRecorder boxes;

        Restart(SpiSetting(folder) + "[BackGround]\r\nUseImage=1\r\nPath=" + path + "\r\n");

        std::vector<std::string> texts;
        for (const auto& message : boxes.messages) texts.push_back(message.text);
        const std::vector<std::string> named = {folder + "\\a.spiが異常終了しました.",
                                                folder + "\\b.spiが異常終了しました."};
        EXPECT_EQ(texts, again ? std::vector<std::string>{} : named);
        EXPECT_EQ(LoadedNames(), std::vector<std::string>{"c.spi"});
        EXPECT_EQ(Preview(), TiledP6());
    }
}

TEST_F(StartupPluginTest, APluginPictureInTheSettingsIsDecodedWhileTheWindowIsCreated) {
    const std::string folder = PluginFolder({{"ppm", "ppm.spi"}});
    const std::string path = PictureFile("start.ppm", kP6);
    testsupport::MessageBoxRecorder boxes;

    Restart(SpiSetting(folder) + "[BackGround]\r\nUseImage=1\r\nPath=" + path + "\r\n");

    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_EQ(Preview(), TiledP6());
    EXPECT_EQ(form->EditBackImage.Text(), path);
}

}  // namespace
