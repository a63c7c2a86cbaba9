// The image plug-ins' folder chosen in the shell's real folder browser from the main window, and a new window's
// plug-ins, loaded while it is created.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/FolderBrowserDriver.h"
#include "image/SpiLoadClass.h"
#include "image/SpiWindowFixture.h"

namespace {

using namespace spiwindow;
using testsupport::FolderBrowserDriver;
using Answer = testsupport::FolderBrowserDriver::Answer;

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
        testsupport::WaitForPluginDescriptions(*form);
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
    form.reset();
    form = testsupport::NewMainForm({}, answerTimeoutMs, bundled);
    form->Show();
    testsupport::SetBackColour(*form, "40", "40", "40");
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
        form->Background().LoadPictureFile(png);
        EXPECT_EQ(Preview(), TiledP6());
        testsupport::SetBackColour(*form, "40", "40", "40");
    }
    UsePlugins(NewFolder());  // lets the copy go before its folder is removed
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

    form = testsupport::NewMainForm();

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
        form = testsupport::NewMainForm();
    }
    static std::string SpiSetting(const std::string& folder) { return "[Option]\r\nSpi=" + folder + "\r\n"; }
};

// The plug-ins are described by a helper of their own while the window is created and goes on; none of their
// code runs in the program. What the helper found is kept, so that the next start with the same plug-ins lists
// them at once and starts no process at all.
TEST_F(StartupPluginTest, ThePluginsAreListedWhileTheWindowIsCreatedAndUnchangedOnesStartNoHelper) {
    const std::string folder = PluginFolder({{"ppm", "ppm.spi"}});
    for (const bool again : {false, true}) {
        form.reset();
        testsupport::WriteFile(testsupport::SettingsPath(), SpiSetting(folder));
        form = std::make_unique<TMainForm>(velmira::SpiHostOptions{testsupport::BuiltSpiHost(), answerTimeoutMs, {}});
        EXPECT_EQ(form->Background().SpiLoader().Describing(), !again) << (again ? "unchanged" : "first start");
        testsupport::WaitForPluginDescriptions(*form);

        EXPECT_EQ(::GetModuleHandleA((folder + "\\ppm.spi").c_str()), nullptr);
        EXPECT_EQ(LoadedNames(), std::vector<std::string>{"ppm.spi"});
        EXPECT_EQ(form->Background().OpenDialog().Filter, kPpmFilter);
        EXPECT_FALSE(form->Background().SpiLoader().IsHostRunning()) << "the picture's helper waits for a picture";
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
