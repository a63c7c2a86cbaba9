// The plug-in host against real plug-in DLLs (tests/plugins), copied into a fresh folder for every test, and
// the real helper process that the build puts one folder above the tests. Where a test must see what a plug-in
// was handed, it makes the helper's calls (image/SpiPluginCalls.h) in its own process and asks the plug-in.
#include "image/SpiLoadClass.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "image/SpiFilter.h"
#include "image/SpiHostProcess.h"
#include "image/SpiPluginCalls.h"
#include "support/TestFolders.h"
#include "support/ProgramFolder.h"

namespace velmira {
namespace {

std::string BuiltPlugin(const std::string& name) {
    return testsupport::ProgramFolder() + VELMIRA_SPI_PLUGIN_DIR "\\" + name + ".spi";
}

// A test plug-in's own DLL loaded here decodes into memory, as the helper has it do.
bool DecodeHere(const ST_SpiPlugin& plugin, const std::string& path) {
    std::vector<unsigned char> room;
    int width = 0, height = 0;
    return DecodeSpiPicture(
        plugin, path,
        [&room](std::size_t info, std::size_t pixels) {
            room.resize(info + pixels);
            return room.data();
        },
        width, height);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

// The test-only export of a loaded test plug-in.
template <class Fn>
Fn TestExport(const ST_SpiPlugin* plugin, const char* name) {
    if (!plugin) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(plugin->Module.get(), name)));
}

// A picture's pixels read back from the host's bitmap, top row first, as 0x00RRGGBB.
std::vector<DWORD> ReadPixels(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<std::size_t>(width) * height);
    const ui::ScopedGetDC screen(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) != height) return {};
    for (DWORD& p : pixels) p &= 0x00FFFFFF;
    return pixels;
}

// 3 x 2, with a comment in the header: red green blue / white black grey.
const std::string kP6 = std::string("P6\n# test\n3 2\n255\n") +
                        std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF\x00\x00\x00\x80\x80\x80", 18);
const std::vector<DWORD> kP6Pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
const std::string kP5 = std::string("P5 3 2 255\n") + std::string("\x00\x40\x80\xC0\xFF\x10", 6);
const std::vector<DWORD> kP5Pixels = {0x000000, 0x404040, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x101010};

class SpiLoadClassTest : public ::testing::Test {
protected:
    void SetUp() override {
        SpiHostProcess::SetProgram(testsupport::ProgramFolder() + "..\\velmira_spihost.exe");
        folder_ = NewFolder();
    }

    void TearDown() override {
        host_.reset();
        for (const std::string& folder : folders_) testsupport::RemoveTree(folder);
    }

    // A new empty folder under the temporary folder, removed after the test.
    std::string NewFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        const std::string folder = std::string(temp) + "velmira-spi-" + std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(++serial);
        CreateDirectoryA(folder.c_str(), nullptr);
        folders_.push_back(folder);
        return folder;
    }

    // Copies a built test plug-in into the folder under the given file name.
    static void Install(const std::string& folder, const std::string& plugin, const std::string& as) {
        ASSERT_TRUE(CopyFileA(BuiltPlugin(plugin).c_str(), (folder + "\\" + as).c_str(), FALSE)) << plugin;
    }
    void Install(const std::string& plugin, const std::string& as) { Install(folder_, plugin, as); }

    std::string File(const std::string& name, const std::string& bytes) {
        const std::string path = folder_ + "\\" + name;
        WriteBytes(path, bytes);
        return path;
    }

    std::vector<std::string> LoadedNames() const {
        std::vector<std::string> names;
        for (const ST_SpiPlugin* p = host_->GetFirst(); p; p = p->Next.get()) names.push_back(testsupport::ModuleName(p->Module.get()));
        return names;
    }

    const ST_SpiPlugin* Plugin(const std::string& fileName) const {
        for (const ST_SpiPlugin* p = host_->GetFirst(); p; p = p->Next.get())
            if (lstrcmpiA(testsupport::ModuleName(p->Module.get()).c_str(), fileName.c_str()) == 0) return p;
        return nullptr;
    }

    std::unique_ptr<SpiLoadClass> host_ = std::make_unique<SpiLoadClass>();
    std::string folder_;
    std::vector<std::string> folders_;
};

TEST_F(SpiLoadClassTest, StartsEmpty) {
    EXPECT_EQ(host_->GetFirst(), nullptr);
    EXPECT_EQ(host_->GetCount(), 0);
    EXPECT_EQ(host_->GetPicture(), nullptr);
    EXPECT_FALSE(host_->LoadPicture(File("a.ppm", kP6)));
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
    EXPECT_FALSE(host_->IsHostRunning()) << "nothing started before a picture needs a plug-in";
}

TEST_F(SpiLoadClassTest, KeepsTheLastPairAndStopsAtThePatternIndexThatAnswersNothing) {
    Install("twopairs", "two.spi");
    host_->LoadPlugins(folder_);
    const ST_SpiPlugin* plugin = host_->GetFirst();
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->Pattern, "*.bbb");
    EXPECT_EQ(plugin->Description, "Second pair");

    int asked[16] = {};
    const int count = TestExport<int(__stdcall*)(int*, int)>(plugin, "TestAskedIndexes")(asked, 16);
    EXPECT_EQ(std::vector<int>(asked, asked + count), (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(TestExport<LONG(__stdcall*)()>(plugin, "TestViolations")(), 0);
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
              "ｲﾒｰｼﾞﾌｧｲﾙ|;*.bbb;*.ppm;*.pgm;*.bmp|jpegﾌｧｲﾙ(*.jpg;jpeg)|*jpg;jpeg|Second pair|*.bbb|"
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

TEST_F(SpiLoadClassTest, DecodesThroughThePluginIntoABitmapOfTheScreensFormat) {
    struct Case {
        const char* name;
        const std::string& bytes;
        const std::vector<DWORD>& pixels;
    };
    const Case cases[] = {{"p6.ppm", kP6, kP6Pixels}, {"p5.pgm", kP5, kP5Pixels}};
    Install("ppm", "ppm.spi");
    host_->LoadPlugins(folder_);
    for (const Case& c : cases) {
        const std::string path = File(c.name, c.bytes);
        ASSERT_TRUE(host_->LoadPicture(path)) << c.name;
        EXPECT_EQ(host_->GetFileName(), path);
        EXPECT_EQ(host_->GetPictureWidth(), 3);
        EXPECT_EQ(host_->GetPictureHeight(), 2);
        BITMAP bm = {};
        GetObjectA(host_->GetPicture(), sizeof bm, &bm);
        const ui::ScopedGetDC screen(nullptr);
        EXPECT_EQ(bm.bmBitsPixel, GetDeviceCaps(screen.get(), BITSPIXEL)) << "the screen's format";
        EXPECT_EQ(ReadPixels(host_->GetPicture(), 3, 2), c.pixels) << c.name;
    }
}

TEST_F(SpiLoadClassTest, ReleasesTheTextInformationWhereThePluginPutIt) {
    struct Case {
        const char* plugin;
        std::string bytes;
        std::vector<DWORD> pixels;
    };
    const Case cases[] = {
        {"ppm", kP6, kP6Pixels},  // the record with the gap: the handle at byte 24
        {"packed", "PACK", {0xFF0000, 0x00FF00, 0x102030, 0x405060}},  // packed: the handle at byte 22
    };
    for (const Case& c : cases) {
        const std::string folder = NewFolder();
        Install(folder, c.plugin, "only.spi");
        host_->LoadPlugins(folder);
        const std::string path = File(std::string(c.plugin) + ".bin", c.bytes);
        ASSERT_TRUE(host_->LoadPicture(path)) << c.plugin;
        EXPECT_EQ(ReadPixels(host_->GetPicture(), host_->GetPictureWidth(), host_->GetPictureHeight()), c.pixels)
            << c.plugin;
        ASSERT_TRUE(DecodeHere(*host_->GetFirst(), path)) << c.plugin;
        EXPECT_EQ(TestExport<int(__stdcall*)()>(host_->GetFirst(), "TestTextInfoAlive")(), 0) << c.plugin;
    }
}

TEST_F(SpiLoadClassTest, TheFirstPluginThatAcceptsTheFileDecodesIt) {
    struct Case {
        const char* first;
        const char* second;
        bool decoded;
    };
    const Case cases[] = {{"ppm", "failpicture", true}, {"failpicture", "ppm", false}};
    for (const Case& c : cases) {
        const std::string folder = NewFolder();
        Install(folder, c.first, "a.spi");
        Install(folder, c.second, "b.spi");
        host_->LoadPlugins(folder);
        EXPECT_EQ(host_->LoadPicture(File(std::string(c.first) + ".ppm", kP6)), c.decoded) << c.first;
        ASSERT_NE(host_->GetCurrent(), nullptr);
        EXPECT_EQ(testsupport::ModuleName(host_->GetCurrent()->Module.get()), "a.spi") << c.first;
    }
}

TEST_F(SpiLoadClassTest, EveryPluginIsAskedWithACopyOfTheHeadOfItsOwn) {
    Install("twopairs", "a.spi");  // reads the head, writes zeros over the buffer and declines
    Install("ppm", "b.spi");
    host_->LoadPlugins(folder_);
    EXPECT_TRUE(host_->LoadPicture(File("x.ppm", kP6)));
}

// The file's first 2 KB are read once and handed over in the buffer form; a file that cannot be read is
// offered to no plug-in, since there is nothing to ask with.
TEST_F(SpiLoadClassTest, PluginsAreAskedWithTheFilesFirstBytesAndNeverAboutAFileThatCannotBeRead) {
    Install("ppm", "ppm.spi");
    host_->LoadPlugins(folder_);
    const ST_SpiPlugin& ppm = *host_->GetFirst();
    const std::string path = File("locked.ppm", kP6);
    SpiFileHead head;
    {
        const ui::UniqueFile exclusive(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(exclusive);
        EXPECT_FALSE(ReadSpiFileHead(path, head));
        EXPECT_FALSE(host_->LoadPicture(path));
    }
    EXPECT_FALSE(ReadSpiFileHead(folder_ + "\\missing.ppm", head));
    EXPECT_FALSE(host_->LoadPicture(folder_ + "\\missing.ppm"));

    ASSERT_TRUE(ReadSpiFileHead(path, head));
    EXPECT_EQ(std::string(head.data(), kP6.size()), kP6);
    EXPECT_EQ(std::string(head.data() + kP6.size(), head.size() - kP6.size()),
              std::string(head.size() - kP6.size(), '\0'))
        << "zero-filled past the end";
    EXPECT_TRUE(AcceptsSpiFile(ppm, path, head));
    EXPECT_EQ(TestExport<LONG(__stdcall*)()>(&ppm, "TestIsSupportedCalls")(), 1);
    EXPECT_EQ(TestExport<LONG(__stdcall*)()>(&ppm, "TestHandleFormCalls")(), 0) << "the buffer form";
    EXPECT_TRUE(host_->LoadPicture(path)) << "the same file once nobody holds it";
}

TEST_F(SpiLoadClassTest, EveryFailureAnswersFalseAndLeavesNoPicture) {
    struct Case {
        const char* plugin;
        std::string bytes;
    };
    const Case cases[] = {
        {"ppm", "not a picture"},          // nobody accepts it
        {"noinfo", "anything"},            // accepted, but GetPictureInfo is missing
        {"failpicture", "anything"},       // GetPicture fails
        {"hostile", "HOSTw"},              // negative width in the record
        {"hostile", "HOSTh"},              // absurd height in the record
        {"hostile", "HOSTz"},              // zero width in the record
        {"hostile", "HOSTm"},              // header wider than the record
        {"hostile", "HOSTs"},              // core header size
        {"hostile", "HOSTS"},              // header larger than its block
        {"hostile", "HOSTb"},              // 7 bits per pixel
        {"hostile", "HOSTp"},              // three planes
        {"hostile", "HOSTr"},              // run-length rows at 24 bits
        {"hostile", "HOSTc"},              // more colours than 8 bits have
        {"hostile", "HOSTt"},              // colour table missing from the block
        {"hostile", "HOSTu"},              // pixel block one byte short
        {"hostile", "HOSTi"},              // info block shorter than a header
        {"hostile", "HOSTH"},              // negative height in the record
        {"hostile", "HOSTW"},              // the most negative width and height
        {"hostile", "HOSTq"},              // GetPictureInfo answers an error code
        {"hostile", "HOSTN"},              // success without any block
        {"hostile", "HOSTP"},              // bitmap info without pixels
        {"hostile", "HOSTI"},              // pixels without bitmap info
        {"hostile", "HOSTg"},              // values that are no handles at all
        {"hostile", "HOSTL"},              // slow, then failing
    };
    for (const Case& c : cases) {
        const std::string folder = NewFolder();
        Install(folder, c.plugin, "only.spi");
        host_->LoadPlugins(folder);
        EXPECT_FALSE(host_->LoadPicture(File("bad.bin", c.bytes))) << c.plugin << " " << c.bytes;
        EXPECT_EQ(host_->GetPicture(), nullptr) << c.plugin << " " << c.bytes;
    }
}

TEST_F(SpiLoadClassTest, APluginWithoutPictureInformationIsNeverAskedForThePicture) {
    Install("noinfo", "noinfo.spi");
    host_->LoadPlugins(folder_);
    ASSERT_EQ(host_->GetCount(), 1);
    const std::string path = File("x.bin", "anything");
    EXPECT_FALSE(host_->LoadPicture(path));
    EXPECT_EQ(host_->GetCurrent(), host_->GetFirst());
    EXPECT_FALSE(DecodeHere(*host_->GetFirst(), path));
    EXPECT_EQ(TestExport<LONG(__stdcall*)()>(host_->GetFirst(), "TestGetPictureCalls")(), 0);
}

// Each layout of the test plug-in is what GDI draws from the same blocks here, and the picture the layouts
// all show (the 1-bit one a chequer), the right way up.
TEST_F(SpiLoadClassTest, EveryDibLayoutShowsAsSetDIBitsDrawsItFromTheSameBlocks) {
    Install("layouts", "layouts.spi");
    host_->LoadPlugins(folder_);
    ASSERT_EQ(host_->GetCount(), 1);
    const ST_SpiPlugin& plugin = *host_->GetFirst();
    const std::vector<DWORD> picture = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF,
                                        0x000000, 0xFFFF00, 0x00FFFF, 0xFF00FF};
    const std::vector<DWORD> chequer = {0xFFFFFF, 0, 0xFFFFFF, 0, 0, 0xFFFFFF, 0, 0xFFFFFF};
    for (const char mode : std::string("atT14f8o56vVrRc")) {
        SCOPED_TRACE(std::string("layout ") + mode);
        const std::string path = File(std::string("x") + mode + ".lay", std::string("LAYO") + mode);
        ASSERT_TRUE(host_->LoadPicture(path));
        ASSERT_EQ(host_->GetPictureWidth(), 4);
        ASSERT_EQ(host_->GetPictureHeight(), 2);
        HANDLE info = nullptr, pixels = nullptr;
        ASSERT_EQ(plugin.GetPicture(path.c_str(), 0, 0, &info, &pixels, nullptr, 0), spi::kSuccess);
        const ui::UniqueGlobal infoBlock(info), pixelBlock(pixels);
        const ui::ScopedGlobalLock infoLock(info), pixelLock(pixels);
        const ui::ScopedGetDC screen(nullptr);
        const ui::UniqueBitmap drawn(CreateCompatibleBitmap(screen.get(), 4, 2));
        ASSERT_EQ(SetDIBits(screen.get(), drawn.get(), 0, 2, pixelLock.get(),
                            static_cast<const BITMAPINFO*>(infoLock.get()), DIB_RGB_COLORS),
                  2);
        EXPECT_EQ(ReadPixels(host_->GetPicture(), 4, 2), ReadPixels(drawn.get(), 4, 2));
        EXPECT_EQ(ReadPixels(host_->GetPicture(), 4, 2), mode == '1' ? chequer : picture);
    }
}

// The helper runs the plug-in: a crash ends only the helper, a plug-in that never returns is ended after the
// answer timeout (shortened here; the window's tests wait the full ten seconds). Either way the failure names
// the plug-in's file, and the next picture starts a fresh helper.
TEST_F(SpiLoadClassTest, APluginThatCrashesOrHangsIsNamedAndTheNextPictureStartsAFreshHelper) {
    struct Case {
        const char* bytes;
        const char* what;
    };
    const Case cases[] = {{"HOSTC", "が異常終了しました"}, {"HOSTE", "が応答しないため中止しました"}};
    constexpr DWORD kTimeout = 3000;
    Install("hostile", "hostile.spi");
    host_->LoadPlugins(folder_);
    const std::string plugin = host_->GetFirst()->Path;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        ASSERT_TRUE(host_->LoadPicture(File("before.hst", "HOST0")));  // the helper runs, the plug-in loaded
        const ui::UniqueKernelHandle helper(OpenProcess(SYNCHRONIZE, FALSE, host_->GetHostProcessId()));
        ASSERT_TRUE(helper);
        const std::string bad = File("bad.hst", c.bytes);
        SpiHostProcess::SetAnswerTimeout(kTimeout);
        const DWORD start = GetTickCount();
        std::string message;
        try {
            host_->LoadPicture(bad);
        } catch (const SpiHostFailure& e) {
            message = e.what();
        }
        const DWORD elapsed = GetTickCount() - start;
        SpiHostProcess::SetAnswerTimeout(kSpiHostAnswerTimeoutMs);

        EXPECT_EQ(message, plugin + c.what);
        EXPECT_FALSE(host_->IsHostRunning());
        EXPECT_EQ(WaitForSingleObject(helper.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "the helper is gone";
        if (c.bytes[4] == 'E') {
            EXPECT_GE(elapsed, kTimeout);
        }
        ASSERT_TRUE(host_->LoadPicture(File("after.hst", "HOST0")));
        EXPECT_TRUE(host_->IsHostRunning());
        EXPECT_EQ(ReadPixels(host_->GetPicture(), 4, 2), std::vector<DWORD>(8, 0));
    }
}

TEST_F(SpiLoadClassTest, TheHostileControlPictureDecodes) {
    Install("hostile", "hostile.spi");
    host_->LoadPlugins(folder_);
    EXPECT_TRUE(host_->LoadPicture(File("ok.hst", "HOST0")));
    EXPECT_EQ(ReadPixels(host_->GetPicture(), 4, 2), std::vector<DWORD>(8, 0));
}

// A slow plug-in that answers within the timeout only delays the load, and a text-information value that is no
// block is not freed as if it were one.
TEST_F(SpiLoadClassTest, SlowPluginsAndBogusInformationHandlesStillGiveThePicture) {
    Install("hostile", "hostile.spi");
    host_->LoadPlugins(folder_);
    for (const char* bytes : {"HOSTl", "HOSTx"}) {
        const DWORD start = GetTickCount();
        EXPECT_TRUE(host_->LoadPicture(File("slow.hst", bytes))) << bytes;
        EXPECT_EQ(ReadPixels(host_->GetPicture(), 4, 2), std::vector<DWORD>(8, 0)) << bytes;
        if (bytes[4] == 'l') {
            EXPECT_GE(GetTickCount() - start, 1400u);
        }
    }
}

TEST_F(SpiLoadClassTest, APluginThatAnswersEveryInformationIndexIsAskedAFixedNumberOfTimes) {
    Install("endless", "endless.spi");
    const DWORD start = GetTickCount();
    host_->LoadPlugins(folder_);
    EXPECT_LT(GetTickCount() - start, 5000u);
    ASSERT_EQ(host_->GetCount(), 1);
    EXPECT_EQ(host_->GetFirst()->Pattern, "*.e255");
    EXPECT_EQ(host_->GetFirst()->Description, "Endless 255");
}

TEST_F(SpiLoadClassTest, LoadingAnotherFolderUnloadsTheOldPlugins) {
    Install("ppm", "old.spi");
    host_->LoadPlugins(folder_);
    const std::string oldPath = folder_ + "\\old.spi";
    ASSERT_NE(GetModuleHandleA(oldPath.c_str()), nullptr);
    ASSERT_TRUE(host_->LoadPicture(File("x.ppm", kP6)));

    const std::string other = NewFolder();
    Install(other, "twopairs", "new.spi");
    host_->LoadPlugins(other);
    EXPECT_EQ(GetModuleHandleA(oldPath.c_str()), nullptr);
    EXPECT_EQ(LoadedNames(), std::vector<std::string>{"new.spi"});
    EXPECT_EQ(host_->GetCount(), 1);
    EXPECT_EQ(host_->GetCurrent(), nullptr);

    const std::string newPath = other + "\\new.spi";
    host_.reset();
    EXPECT_EQ(GetModuleHandleA(newPath.c_str()), nullptr) << "teardown unloads every DLL";
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
        const bool depLoaded = GetModuleHandleA("spidep.dll") != nullptr;
        host_->LoadPlugins(NewFolder());  // lets it go again
        SetCurrentDirectoryA(previous);
        EXPECT_EQ(count, beside ? 1 : 0) << (beside ? "beside the plug-in" : "in the current folder");
        EXPECT_EQ(depLoaded, beside);
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
