// The plug-in host against real plug-in DLLs (tests/plugins), copied into a fresh folder for every test, and
// the real helper process that the build puts one folder above the tests. Where a test must see what a plug-in
// was handed, it loads the plug-in in its own process, makes the helper's calls (image/SpiPluginCalls.h) and asks
// the plug-in.
#include "image/SpiLoadClass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
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

// A test plug-in's DLL loaded in this process, for the calls the helper makes.
std::unique_ptr<SpiPluginModule> LoadHere(const std::string& path) {
    std::unique_ptr<SpiPluginModule> plugin = LoadSpiPlugin(path);
    EXPECT_TRUE(plugin) << path;
    return plugin;
}

// Has a plug-in loaded here decode the file as the helper has it do: the part a preview shows.
bool DecodeHere(const SpiPluginModule& plugin, const std::string& path) {
    std::vector<std::uint32_t> pixels(std::size_t{kPreviewWidth} * kPreviewHeight);
    SpiRegion region;
    return DecodeSpiRegion(plugin, path, kPreviewWidth, kPreviewHeight, pixels.data(), region);
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
Fn TestExport(const SpiPluginModule* plugin, const char* name) {
    if (!plugin) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(plugin->Module.get(), name)));
}

// A bitmap's pixels, top row first, as 0x00RRGGBB.
std::vector<std::uint32_t> ReadPixels(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    const ui::ScopedGetDC screen(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) != height) return {};
    for (std::uint32_t& p : pixels) p &= 0x00FFFFFF;
    return pixels;
}

// 3 x 2, with a comment in the header: red green blue / white black grey.
const std::string kP6 = std::string("P6\n# test\n3 2\n255\n") +
                        std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF\x00\x00\x00\x80\x80\x80", 18);
const std::vector<std::uint32_t> kP6Pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
const std::string kP5 = std::string("P5 3 2 255\n") + std::string("\x00\x40\x80\xC0\xFF\x10", 6);
const std::vector<std::uint32_t> kP5Pixels = {0x000000, 0x404040, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x101010};

// A window procedure that calls the function its window's user data points at whenever it is painted.
LRESULT CALLBACK PaintCalls(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_PAINT) return DefWindowProcA(window, message, w, l);
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    EndPaint(window, &ps);
    (*reinterpret_cast<std::function<void()>*>(GetWindowLongPtrA(window, GWLP_USERDATA)))();
    return 0;
}

class SpiLoadClassTest : public ::testing::Test {
protected:
    void SetUp() override {
        SpiHostProcess::SetProgram(testsupport::ProgramFolder() + "..\\velmira_spihost.exe");
        folder_ = NewFolder();
        host_->SetCacheFile({});
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
        for (const ST_SpiPlugin* p = host_->GetFirst(); p; p = p->Next.get())
            names.push_back(testsupport::FileNameOf(p->Path));
        return names;
    }

    const ST_SpiPlugin* Plugin(const std::string& fileName) const {
        for (const ST_SpiPlugin* p = host_->GetFirst(); p; p = p->Next.get())
            if (lstrcmpiA(testsupport::FileNameOf(p->Path).c_str(), fileName.c_str()) == 0) return p;
        return nullptr;
    }

    bool Load(const std::string& path) { return host_->LoadPicture(path, kPreviewWidth, kPreviewHeight); }
    const std::vector<std::uint32_t>& Pixels() const { return host_->GetPicture().pixels; }

    std::unique_ptr<SpiLoadClass> host_ = std::make_unique<SpiLoadClass>();
    std::string folder_;
    std::vector<std::string> folders_;
};

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
        host_ = std::make_unique<SpiLoadClass>();
        host_->SetCacheFile(cache);
        host_->LoadPlugins(folder_);
        EXPECT_EQ(LoadedNames(), names) << what;
        EXPECT_EQ(host_->IsHostRunning(), helper) << what;
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

// Only the part the preview shows crosses from the helper: the picture's size, and its top-left pixels.
TEST_F(SpiLoadClassTest, DecodesThroughThePluginIntoTheVisiblePart) {
    struct Case {
        const char* name;
        const std::string& bytes;
        int maxWidth, maxHeight;
        std::vector<std::uint32_t> pixels;
    };
    const Case cases[] = {
        {"p6.ppm", kP6, kPreviewWidth, kPreviewHeight, kP6Pixels},
        {"p5.pgm", kP5, kPreviewWidth, kPreviewHeight, kP5Pixels},
        {"p6 top-left.ppm", kP6, 2, 1, {0xFF0000, 0x00FF00}},
        {"p5 left column.pgm", kP5, 1, 5, {0x000000, 0xC0C0C0}},
    };
    Install("ppm", "ppm.spi");
    host_->LoadPlugins(folder_);
    for (const Case& c : cases) {
        const std::string path = File(c.name, c.bytes);
        ASSERT_TRUE(host_->LoadPicture(path, c.maxWidth, c.maxHeight)) << c.name;
        EXPECT_EQ(host_->GetFileName(), path);
        const DecodedPicture& picture = host_->GetPicture();
        EXPECT_EQ(picture.width, 3) << c.name;
        EXPECT_EQ(picture.height, 2) << c.name;
        EXPECT_EQ(picture.visibleWidth, std::min(3, c.maxWidth)) << c.name;
        EXPECT_EQ(picture.visibleHeight, std::min(2, c.maxHeight)) << c.name;
        EXPECT_EQ(picture.pixels, c.pixels) << c.name;
    }
}

TEST_F(SpiLoadClassTest, ReleasesTheTextInformationWhereThePluginPutIt) {
    struct Case {
        const char* plugin;
        std::string bytes;
        std::vector<std::uint32_t> pixels;
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
        ASSERT_TRUE(Load(path)) << c.plugin;
        EXPECT_EQ(Pixels(), c.pixels) << c.plugin;
        const std::unique_ptr<SpiPluginModule> plugin = LoadHere(folder + "\\only.spi");
        ASSERT_TRUE(DecodeHere(*plugin, path)) << c.plugin;
        EXPECT_EQ(TestExport<int(__stdcall*)()>(plugin.get(), "TestTextInfoAlive")(), 0) << c.plugin;
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
        EXPECT_EQ(Load(File(std::string(c.first) + ".ppm", kP6)), c.decoded) << c.first;
        ASSERT_NE(host_->GetCurrent(), nullptr);
        EXPECT_EQ(testsupport::FileNameOf(host_->GetCurrent()->Path), "a.spi") << c.first;
    }
}

TEST_F(SpiLoadClassTest, EveryPluginIsAskedWithACopyOfTheHeadOfItsOwn) {
    Install("twopairs", "a.spi");  // reads the head, writes zeros over the buffer and declines
    Install("ppm", "b.spi");
    host_->LoadPlugins(folder_);
    EXPECT_TRUE(Load(File("x.ppm", kP6)));
}

// The file's first 2 KB are read once and handed over in the buffer form; a file that cannot be read is
// offered to no plug-in, since there is nothing to ask with.
TEST_F(SpiLoadClassTest, PluginsAreAskedWithTheFilesFirstBytesAndNeverAboutAFileThatCannotBeRead) {
    Install("ppm", "ppm.spi");
    host_->LoadPlugins(folder_);
    const std::unique_ptr<SpiPluginModule> loaded = LoadHere(folder_ + "\\ppm.spi");
    const SpiPluginModule& ppm = *loaded;
    const std::string path = File("locked.ppm", kP6);
    SpiFileHead head;
    {
        const ui::UniqueFile exclusive(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(exclusive);
        EXPECT_FALSE(ReadSpiFileHead(path, head));
        EXPECT_FALSE(Load(path));
    }
    EXPECT_FALSE(ReadSpiFileHead(folder_ + "\\missing.ppm", head));
    EXPECT_FALSE(Load(folder_ + "\\missing.ppm"));

    ASSERT_TRUE(ReadSpiFileHead(path, head));
    EXPECT_EQ(std::string(head.data(), kP6.size()), kP6);
    EXPECT_EQ(std::string(head.data() + kP6.size(), head.size() - kP6.size()),
              std::string(head.size() - kP6.size(), '\0'))
        << "zero-filled past the end";
    EXPECT_TRUE(AcceptsSpiFile(ppm, path, head));
    EXPECT_EQ(TestExport<LONG(__stdcall*)()>(&ppm, "TestIsSupportedCalls")(), 1);
    EXPECT_EQ(TestExport<LONG(__stdcall*)()>(&ppm, "TestHandleFormCalls")(), 0) << "the buffer form";
    EXPECT_TRUE(Load(path)) << "the same file once nobody holds it";
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
        EXPECT_FALSE(Load(File("bad.bin", c.bytes))) << c.plugin << " " << c.bytes;
        EXPECT_TRUE(Pixels().empty()) << c.plugin << " " << c.bytes;
    }
}

TEST_F(SpiLoadClassTest, APluginWithoutPictureInformationIsNeverAskedForThePicture) {
    Install("noinfo", "noinfo.spi");
    host_->LoadPlugins(folder_);
    ASSERT_EQ(host_->GetCount(), 1);
    const std::string path = File("x.bin", "anything");
    EXPECT_FALSE(Load(path));
    EXPECT_EQ(host_->GetCurrent(), host_->GetFirst());
    const std::unique_ptr<SpiPluginModule> plugin = LoadHere(folder_ + "\\noinfo.spi");
    EXPECT_FALSE(DecodeHere(*plugin, path));
    EXPECT_EQ(TestExport<LONG(__stdcall*)()>(plugin.get(), "TestGetPictureCalls")(), 0);
}

// Each layout of the test plug-in is what GDI draws from the same blocks here, and the picture the layouts
// all show (the 1-bit one a chequer), the right way up.
TEST_F(SpiLoadClassTest, EveryDibLayoutShowsAsSetDIBitsDrawsItFromTheSameBlocks) {
    Install("layouts", "layouts.spi");
    host_->LoadPlugins(folder_);
    ASSERT_EQ(host_->GetCount(), 1);
    const std::unique_ptr<SpiPluginModule> loaded = LoadHere(folder_ + "\\layouts.spi");
    const SpiPluginModule& plugin = *loaded;
    const std::vector<std::uint32_t> picture = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF,
                                                0x000000, 0xFFFF00, 0x00FFFF, 0xFF00FF};
    const std::vector<std::uint32_t> chequer = {0xFFFFFF, 0, 0xFFFFFF, 0, 0, 0xFFFFFF, 0, 0xFFFFFF};
    for (const char mode : std::string("atT14f8o56vVrRc")) {
        SCOPED_TRACE(std::string("layout ") + mode);
        const std::string path = File(std::string("x") + mode + ".lay", std::string("LAYO") + mode);
        ASSERT_TRUE(Load(path));
        ASSERT_EQ(host_->GetPicture().width, 4);
        ASSERT_EQ(host_->GetPicture().height, 2);
        HANDLE info = nullptr, pixels = nullptr;
        ASSERT_EQ(plugin.GetPicture(path.c_str(), 0, 0, &info, &pixels, nullptr, 0), spi::kSuccess);
        const ui::UniqueGlobal infoBlock(info), pixelBlock(pixels);
        const ui::ScopedGlobalLock infoLock(info), pixelLock(pixels);
        const ui::ScopedGetDC screen(nullptr);
        const ui::UniqueBitmap drawn(CreateCompatibleBitmap(screen.get(), 4, 2));
        ASSERT_EQ(SetDIBits(screen.get(), drawn.get(), 0, 2, pixelLock.get(),
                            static_cast<const BITMAPINFO*>(infoLock.get()), DIB_RGB_COLORS),
                  2);
        EXPECT_EQ(Pixels(), ReadPixels(drawn.get(), 4, 2));
        EXPECT_EQ(Pixels(), mode == '1' ? chequer : picture);
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
        ASSERT_TRUE(Load(File("before.hst", "HOST0")));  // the helper runs, the plug-in loaded
        const ui::UniqueKernelHandle helper(OpenProcess(SYNCHRONIZE, FALSE, host_->GetHostProcessId()));
        ASSERT_TRUE(helper);
        const std::string bad = File("bad.hst", c.bytes);
        SpiHostProcess::SetAnswerTimeout(kTimeout);
        const DWORD start = GetTickCount();
        std::string message;
        try {
            Load(bad);
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
        ASSERT_TRUE(Load(File("after.hst", "HOST0")));
        EXPECT_TRUE(host_->IsHostRunning());
        EXPECT_EQ(Pixels(), std::vector<std::uint32_t>(8, 0));
    }
}

TEST_F(SpiLoadClassTest, TheHostileControlPictureDecodes) {
    Install("hostile", "hostile.spi");
    host_->LoadPlugins(folder_);
    EXPECT_TRUE(Load(File("ok.hst", "HOST0")));
    EXPECT_EQ(Pixels(), std::vector<std::uint32_t>(8, 0));
}

// A slow plug-in that answers within the timeout only delays the load, and a text-information value that is no
// block is not freed as if it were one.
TEST_F(SpiLoadClassTest, SlowPluginsAndBogusInformationHandlesStillGiveThePicture) {
    Install("hostile", "hostile.spi");
    host_->LoadPlugins(folder_);
    for (const char* bytes : {"HOSTl", "HOSTx"}) {
        const DWORD start = GetTickCount();
        EXPECT_TRUE(Load(File("slow.hst", bytes))) << bytes;
        EXPECT_EQ(Pixels(), std::vector<std::uint32_t>(8, 0)) << bytes;
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

// A plug-in that crashes or hangs while it loads or says what it reads is left out and named; the others work.
// Each call into a plug-in has the whole time limit (shortened here), so that a slow one is not taken for hung.
TEST_F(SpiLoadClassTest, PluginsThatCrashOrHangWhileTheyLoadAreLeftOutAndNamedAndTheOthersWork) {
    Install("faultload", "a_faultload.spi");
    Install("faultinfo", "b_faultinfo.spi");
    Install("hanginfo", "c_hanginfo.spi");
    Install("slowinfo", "d_slowinfo.spi");  // 1.5 s to load and 1.5 s for its pattern: 3 s in all
    Install("ppm", "e_ppm.spi");
    SpiHostProcess::SetAnswerTimeout(2500);
    host_->LoadPlugins(folder_);
    SpiHostProcess::SetAnswerTimeout(kSpiHostAnswerTimeoutMs);

    EXPECT_EQ(LoadedNames(), (std::vector<std::string>{"d_slowinfo.spi", "e_ppm.spi"}));
    EXPECT_EQ(host_->GetFailures(), (std::vector<std::string>{folder_ + "\\a_faultload.spi" "が異常終了しました",
                                                               folder_ + "\\b_faultinfo.spi" "が異常終了しました",
                                                               folder_ + "\\c_hanginfo.spi" "が応答しないため中止しました"}));
    ASSERT_TRUE(Load(File("x.ppm", kP6)));
    EXPECT_EQ(Pixels(), kP6Pixels);
}

// Plug-ins that read IsSupported's argument only as a file handle, as older ones do, are asked that way once no
// plug-in takes the file's first bytes; one that faults on a handle (reading it as a buffer) declines.
TEST_F(SpiLoadClassTest, APluginThatReadsOnlyTheHandleFormDecodesOnceTheOthersDecline) {
    Install("hostile", "a_hostile.spi");
    Install("handleppm", "b_handleppm.spi");
    host_->LoadPlugins(folder_);
    for (const char* name : {"first.ppm", "second.ppm"}) {
        ASSERT_TRUE(Load(File(name, kP6))) << name;
        EXPECT_EQ(testsupport::FileNameOf(host_->GetCurrent()->Path), "b_handleppm.spi") << name;
        EXPECT_EQ(Pixels(), kP6Pixels) << name;
    }
    EXPECT_FALSE(Load(File("x.bin", "neither"))) << "read by neither form";
    EXPECT_TRUE(Load(File("y.hst", "HOST0"))) << "the buffer form first";
    EXPECT_EQ(testsupport::FileNameOf(host_->GetCurrent()->Path), "a_hostile.spi");
}

// A request made while another waits for its answer (here a window painted meanwhile makes one) is refused, and
// the first one gets its own picture.
TEST_F(SpiLoadClassTest, ARequestWhileAnotherWaitsIsRefused) {
    Install("hostile", "a.spi");
    Install("ppm", "b.spi");
    host_->LoadPlugins(folder_);
    const std::string other = File("other.ppm", kP6);
    std::string refused;
    std::function<void()> paint = [&] {
        try {
            Load(other);
        } catch (const SpiHostBusy& e) {
            refused = e.what();
        }
    };
    WNDCLASSA type{};
    type.lpfnWndProc = PaintCalls;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "VelmiraSpiBusyTest";
    ASSERT_TRUE(RegisterClassA(&type));
    const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, type.lpszClassName, "", WS_POPUP, -50,
                                        -50, 10, 10, nullptr, nullptr, type.hInstance, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&paint));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    InvalidateRect(window, nullptr, FALSE);

    const bool loaded = Load(File("slow.hst", "HOSTl"));  // 1.5 s in the plug-in

    DestroyWindow(window);
    UnregisterClassA(type.lpszClassName, type.hInstance);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(refused, "前の画像をまだ読み込んでいます");
    EXPECT_EQ(testsupport::FileNameOf(host_->GetFileName()), "slow.hst");
    EXPECT_EQ(Pixels(), std::vector<std::uint32_t>(8, 0));
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
