// The plug-in host's list of plug-ins: which files of a folder it takes and in what order, what they say they
// read, the cache that spares the helper, plug-ins that fail while they load, and another folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/SpiLoadClassFixture.h"
#include "image/SpiFilter.h"

namespace velmira {
namespace {

using namespace spitest;

TEST_F(SpiLoadClassTest, StartsEmpty) {
    EXPECT_EQ(host_->GetFirst(), nullptr);
    EXPECT_EQ(host_->GetCount(), 0);
    EXPECT_TRUE(Pixels().empty());
    EXPECT_FALSE(Load(File("a.ppm", kP6)));
}

TEST_F(SpiLoadClassTest, LoadsEveryUsableDllOfTheFolderInSearchOrderAndSkipsTheRest) {
    // Created out of name order; the search under Wine returns them sorted by name (measured).
    Install("ppm", "c_ppm.spi");
    Install("twopairs", "A_two.SPI");
    Install("noexports", "b_noexports.spi");
    File("bad.SPI", "MZ but not really a DLL");
    Install("fullbuffer", "d_full.Spi");
    Install("noinfo", "e_noinfo.spi.off");
    CreateDirectoryA((folder_ + "\\sub").c_str(), nullptr);
    Install(folder_ + "\\sub", "ppm", "f_nested.spi");

    host_->LoadPlugins(folder_);

    EXPECT_EQ(LoadedNames(), (std::vector<std::string>{"A_two.SPI", "c_ppm.spi", "d_full.Spi"}));
    EXPECT_EQ(host_->GetCount(), 3);
    EXPECT_EQ(host_->GetFolder(), folder_);
    EXPECT_EQ(host_->GetCurrent(), nullptr);
    EXPECT_TRUE(host_->GetFailures().empty());
    for (const char* name : {"c_ppm.spi", "A_two.SPI"})
        EXPECT_EQ(GetModuleHandleA((folder_ + "\\" + name).c_str()), nullptr) << "no plug-in code in this process";
}

// What the helper found is kept, so that an unchanged folder is listed again without starting it; a file that
// changed, or one the cache does not know, is asked about again.
TEST_F(SpiLoadClassTest, AnUnchangedFolderIsListedFromTheCacheWithoutTheHelper) {
    const std::string cache = NewFolder() + "\\velmira_spi.cache";
    Install("ppm", "a.spi");
    Install("twopairs", "b.spi");
    Install("noexports", "c.spi");
    const auto listed = [&](std::vector<std::string> names, bool helper, const char* what) {
        host_ = NewHost(kTestAnswerTimeoutMs);
        host_->SetCacheFile(cache);
        host_->BeginLoadPlugins(folder_);
        EXPECT_EQ(host_->Describing(), helper) << what;
        host_->FinishDescribing();
        EXPECT_EQ(LoadedNames(), names) << what;
        EXPECT_FALSE(host_->IsHostRunning()) << what << ": the picture's helper waits for a picture";
    };
    listed({"a.spi", "b.spi"}, true, "first: the helper describes them");
    listed({"a.spi", "b.spi"}, false, "unchanged: from the cache");
    EXPECT_EQ(host_->GetFirst()->Pattern, "*.ppm;*.pgm");
    EXPECT_EQ(host_->GetFirst()->Next->Description, "Second pair");

    // c.spi becomes a plug-in (another size and time); a.spi keeps its size and only its time changes.
    ASSERT_TRUE(CopyFileA(BuiltPlugin("ppm").c_str(), (folder_ + "\\c.spi").c_str(), FALSE));
    const ui::UniqueFile a(CreateFileA((folder_ + "\\a.spi").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    const FILETIME later{0x12345678, 0x01D00000};
    ASSERT_TRUE(SetFileTime(a.get(), nullptr, nullptr, &later));
    listed({"a.spi", "b.spi", "c.spi"}, true, "changed: asked again");
    listed({"a.spi", "b.spi", "c.spi"}, false, "and kept");
}

TEST_F(SpiLoadClassTest, KeepsTheLastPairAndStopsAtThePatternIndexThatAnswersNothing) {
    Install("twopairs", "two.spi");
    host_->LoadPlugins(folder_);
    const ST_SpiPlugin* listed = host_->GetFirst();
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(listed->Pattern, "*.bbb");
    EXPECT_EQ(listed->Description, "Second pair");

    const std::unique_ptr<SpiPluginModule> plugin = LoadHere(folder_ + "\\two.spi");
    std::string pattern, description;
    int calls = 0;
    ReadSpiPluginInfo(*plugin, pattern, description, [&calls] { ++calls; });
    EXPECT_EQ(pattern, "*.bbb");
    EXPECT_EQ(description, "Second pair");
    int asked[16] = {};
    const int count = TestExport<int(__stdcall*)(int*, int)>(plugin.get(), "TestAskedIndexes")(asked, 16);
    EXPECT_EQ(std::vector<int>(asked, asked + count), (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(calls, count) << "each call is announced, for its own time limit";
    EXPECT_EQ(TestExport<LONG(__stdcall*)()>(plugin.get(), "TestViolations")(), 0);
}

TEST_F(SpiLoadClassTest, CutsTextsThatFillTheWholeBufferAtItsEnd) {
    Install("fullbuffer", "full.spi");
    host_->LoadPlugins(folder_);
    const ST_SpiPlugin* plugin = host_->GetFirst();
    ASSERT_NE(plugin, nullptr);
    std::string pattern;
    for (int i = 0; i < 260; ++i) pattern += "*.full;"[i % 7];
    EXPECT_EQ(plugin->Pattern, pattern);
    // 129 times "ア", then "x"; the lead byte in the buffer's last place lost its trail byte and is dropped.
    std::string description;
    for (int i = 0; i < 129; ++i) description += "\x83\x41";
    EXPECT_EQ(plugin->Description, description + "x");
}

TEST_F(SpiLoadClassTest, HandsThePairsToTheFilterInListOrder) {
    Install("twopairs", "a.spi");
    Install("ppm", "b.spi");
    host_->LoadPlugins(folder_);
    ASSERT_EQ(host_->GetCount(), 2);

    std::vector<ST_SpiInfo> info(host_->GetCount());
    host_->GetSpiInfo(host_->GetCount(), info);
    EXPECT_EQ(BuildOpenFilter(info),
              "ｲﾒｰｼﾞﾌｧｲﾙ|;*.bbb;*.ppm;*.pgm;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|Second pair|*.bbb|"
              "PPM/PGM|*.ppm;*.pgm|BMPﾌｧｲﾙ(*.bmp)|*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*");

    std::vector<ST_SpiInfo> longer(4, ST_SpiInfo{"old", "old"});
    host_->GetSpiInfo(4, longer);
    EXPECT_EQ(longer[1].Pattern, "*.ppm;*.pgm");
    EXPECT_EQ(longer[2].Pattern, "old") << "stops at the list's end";

    std::vector<ST_SpiInfo> one(2, ST_SpiInfo{"old", "old"});
    host_->GetSpiInfo(1, one);
    EXPECT_EQ(one[0].Description, "Second pair");
    EXPECT_EQ(one[1].Description, "old") << "copies only n entries";
}

// A plug-in that crashes or hangs while it loads or says what it reads is left out and named; the others work.
// Each plug-in has the time limit (shortened here) for its loading and all its information together.
TEST_F(SpiLoadClassTest, PluginsThatCrashOrHangWhileTheyLoadAreLeftOutAndNamedAndTheOthersWork) {
    Install("faultload", "a_faultload.spi");
    Install("faultinfo", "b_faultinfo.spi");
    Install("hanginfo", "c_hanginfo.spi");
    Install("slowinfo", "d_slowinfo.spi");  // 1.5 s to load and 1.5 s for its pattern: 3 s in all
    Install("ppm", "e_ppm.spi");
    host_ = NewHost(kTestAnswerTimeoutMs);
    host_->LoadPlugins(folder_);

    EXPECT_EQ(LoadedNames(), (std::vector<std::string>{"d_slowinfo.spi", "e_ppm.spi"}));
    EXPECT_EQ(host_->GetFailures(), (std::vector<std::string>{folder_ + "\\a_faultload.spi" "が異常終了しました",
                                                               folder_ + "\\b_faultinfo.spi" "が異常終了しました",
                                                               folder_ + "\\c_hanginfo.spi" "が応答しないため中止しました"}));
    ASSERT_TRUE(Load(File("x.ppm", kP6)));
    EXPECT_EQ(Pixels(), kP6Pixels);
}

// A plug-in whose every information call takes 6 s and always has another pair: describing it has 10 s in all,
// while the caller goes on; it is named once, and the next start, from the cache, does not ask it again.
TEST_F(SpiLoadClassTest, ASlowPluginIsDescribedAwayFromTheCallerWithinTenSecondsInAll) {
    Install("slowpairs", "a_slowpairs.spi");
    Install("ppm", "b_ppm.spi");
    const std::string cache = NewFolder() + "\\velmira_spi.cache";
    host_ = NewHost(kSpiHostAnswerTimeoutMs);
    host_->SetCacheFile(cache);
    const DWORD start = GetTickCount();
    host_->BeginLoadPlugins(folder_);
    EXPECT_LT(GetTickCount() - start, 2000u) << "the caller waits for no description";
    EXPECT_TRUE(host_->Describing());
    host_->FinishDescribing();
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, kSpiHostAnswerTimeoutMs);
    EXPECT_LT(took, kSpiHostAnswerTimeoutMs + 5000) << "10 s for all of the plug-in's calls, not for each";
    EXPECT_EQ(LoadedNames(), std::vector<std::string>{"b_ppm.spi"});
    EXPECT_EQ(host_->GetFailures(),
              std::vector<std::string>{folder_ + "\\a_slowpairs.spi" "が応答しないため中止しました"});

    auto next = NewHost(kSpiHostAnswerTimeoutMs);
    next->SetCacheFile(cache);
    next->BeginLoadPlugins(folder_);
    EXPECT_FALSE(next->Describing());
    EXPECT_FALSE(next->IsHostRunning());
    EXPECT_TRUE(next->GetFailures().empty());
    EXPECT_EQ(next->GetCount(), 1);
}

TEST_F(SpiLoadClassTest, LoadingAnotherFolderLetsTheOldPluginsGo) {
    Install("ppm", "old.spi");
    host_->LoadPlugins(folder_);
    const std::string oldPath = folder_ + "\\old.spi";
    ASSERT_TRUE(Load(File("x.ppm", kP6)));  // the helper has the plug-in loaded

    const std::string other = NewFolder();
    Install(other, "twopairs", "new.spi");
    host_->LoadPlugins(other);
    EXPECT_TRUE(DeleteFileA(oldPath.c_str())) << "no process holds the old plug-in's file";
    EXPECT_EQ(LoadedNames(), std::vector<std::string>{"new.spi"});
    EXPECT_EQ(host_->GetCount(), 1);
    EXPECT_EQ(host_->GetCurrent(), nullptr);
}

// A plug-in's own DLLs come from its folder, and never from the current folder, where the loader's search
// without the LOAD_LIBRARY_SEARCH flags would find them (it does under Wine).
TEST_F(SpiLoadClassTest, APluginsOwnDllComesFromItsFolderAndNeverFromTheCurrentFolder) {
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    for (const bool beside : {true, false}) {
        const std::string plugins = NewFolder();
        const std::string current = NewFolder();
        Install(plugins, "withdep", "withdep.spi");
        const std::string dep = testsupport::ProgramFolder() + VELMIRA_SPI_PLUGIN_DIR "\\spidep.dll";
        ASSERT_TRUE(CopyFileA(dep.c_str(), ((beside ? plugins : current) + "\\spidep.dll").c_str(), FALSE));
        ASSERT_TRUE(SetCurrentDirectoryA(current.c_str()));
        host_->LoadPlugins(plugins);
        const int count = host_->GetCount();
        host_->LoadPlugins(NewFolder());  // lets it go again
        SetCurrentDirectoryA(previous);
        EXPECT_EQ(count, beside ? 1 : 0) << (beside ? "beside the plug-in" : "in the current folder");
    }
}

TEST_F(SpiLoadClassTest, AnEmptyFolderSearchesTheRootOfTheCurrentDrive) {
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    const std::string name = "velmira-root-" + std::to_string(GetCurrentProcessId()) + ".SPI";
    const std::string root = folder_.substr(0, 3) + name;  // "C:\" of the temporary folder
    const bool installed = CopyFileA(BuiltPlugin("ppm").c_str(), root.c_str(), FALSE);
    if (installed) host_->LoadPlugins("");
    const bool found = installed && Plugin(name) != nullptr;
    const std::string folder = host_->GetFolder();
    host_->LoadPlugins(folder_);  // unloads it again
    if (installed) DeleteFileA(root.c_str());
    SetCurrentDirectoryA(previous);
    if (!installed) GTEST_SKIP() << "the drive's root is not writable here";
    EXPECT_TRUE(found);
    EXPECT_EQ(folder, "");
}

}  // namespace
}  // namespace velmira
