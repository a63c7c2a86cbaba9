// Pictures decoded through the plug-in host: what crosses from the helper, which plug-in is asked and how, every
// failure, and plug-ins that crash, hang, run slow or are asked again while they work.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "image/SpiLoadClassFixture.h"
#include "image/SpiHostProcess.h"

namespace velmira {
namespace {

using namespace spitest;

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
// answer timeout (shortened here, as in the window's tests). Either way the failure names
// the plug-in's file, and the next picture starts a fresh helper.
TEST_F(SpiLoadClassTest, APluginThatCrashesOrHangsIsNamedAndTheNextPictureStartsAFreshHelper) {
    struct Case {
        const char* bytes;
        const char* what;
    };
    const Case cases[] = {{"HOSTC", "が異常終了しました"}, {"HOSTE", "が応答しないため中止しました"}};
    Install("hostile", "hostile.spi");
    host_->LoadPlugins(folder_);
    const std::string plugin = host_->GetFirst()->Path;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        ASSERT_TRUE(Load(File("before.hst", "HOST0")));  // the helper runs, the plug-in loaded
        const ui::UniqueKernelHandle helper(OpenProcess(SYNCHRONIZE, FALSE, host_->GetHostProcessId()));
        ASSERT_TRUE(helper);
        const std::string bad = File("bad.hst", c.bytes);
        std::string message;
        try {
            Load(bad);
        } catch (const SpiHostFailure& e) {
            message = e.what();
        }

        EXPECT_EQ(message, plugin + c.what);
        EXPECT_FALSE(host_->IsHostRunning());
        EXPECT_EQ(WaitForSingleObject(helper.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "the helper is gone";
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
        EXPECT_TRUE(Load(File("slow.hst", bytes))) << bytes;
        EXPECT_EQ(Pixels(), std::vector<std::uint32_t>(8, 0)) << bytes;
    }
}

// The list comes back at all: asked without end, the load would never return.
TEST_F(SpiLoadClassTest, APluginThatAnswersEveryInformationIndexIsAskedAFixedNumberOfTimes) {
    Install("endless", "endless.spi");
    host_->LoadPlugins(folder_);
    ASSERT_EQ(host_->GetCount(), 1);
    EXPECT_EQ(host_->GetFirst()->Pattern, "*.e255");
    EXPECT_EQ(host_->GetFirst()->Description, "Endless 255");
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

// Esc while a picture loads gives the load up at once, whatever the plug-in is doing, and ends the helper; nothing
// is said. A close gives it up too, and is asked again for once the load has unwound. The next picture starts a
// fresh helper.
TEST_F(SpiLoadClassTest, EscOrACloseDuringASlowLoadGivesItUpAndEndsTheHelper) {
    struct Case {
        UINT message;
        WPARAM wParam;
        bool closeFollows;
    };
    const Case cases[] = {{WM_KEYDOWN, VK_ESCAPE, false}, {WM_CLOSE, 0, true}};
    Install("hostile", "hostile.spi");
    host_->LoadPlugins(folder_);
    const std::string never = File("never.hst", "HOSTE");  // GetPicture never returns
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                            nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(window);
        std::thread user([&] {
            Sleep(1000);
            PostMessageA(window, c.message, c.wParam, 0);
        });
        const DWORD start = GetTickCount();
        bool givenUp = false;
        try {
            Load(never);
        } catch (const SpiLoadGivenUp&) {
            givenUp = true;
        }
        const DWORD took = GetTickCount() - start;
        user.join();
        MSG close;
        EXPECT_EQ(PeekMessageA(&close, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE, c.closeFollows);
        DestroyWindow(window);
        EXPECT_TRUE(givenUp);
        EXPECT_LT(took, kTestAnswerTimeoutMs) << "given up before the plug-in's time was up";
        EXPECT_FALSE(host_->IsHostRunning());
    }
    ASSERT_TRUE(Load(File("after.hst", "HOST0")));
    EXPECT_EQ(Pixels(), std::vector<std::uint32_t>(8, 0));
}

// A helper that lies (a stand-in for one a plug-in has taken over): whatever it writes, the program reads only
// within what it asked for, waits no longer than a picture request's time, and names a crash or a time-out, or
// finds the file unsupported; the program goes on.
TEST_F(SpiLoadClassTest, WhatALyingHelperWritesNeverTakesTheProgramPastItsRequest) {
    constexpr DWORD kCall = 1000;
    struct Case {
        const char* lie;
        const char* message;  // after the path; empty: no failure, no picture bigger than asked
        bool listed;          // the plug-in's description was taken
    };
    const Case cases[] = {
        {"bigger", "が異常終了しました", true},         // sizes larger than asked
        {"flip", "", true},                             // sizes changed while the program copies
        {"serial", "", true},                           // answers that carry another request's number
        {"index", "velmira", true},                     // a plug-in past the list found
        {"counter", "が応答しないため中止しました", true},  // a call begun every 5 ms, and no answer
        {"unterminated", "", false},                    // a description without its ending zero
        {"described", "", true},                        // more descriptions than asked
    };
    File("a.spi", "not loaded by the liar");
    const std::string picture = File("x.liar", "any");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lie);
        SetEnvironmentVariableA("VELMIRA_LIE", c.lie);
        SpiLoadClass host(SpiHostOptions{testsupport::ProgramFolder() + "spihost_liar.exe", kCall, "none.spi"});
        host.SetCacheFile({});
        host.LoadPlugins(folder_);
        ASSERT_EQ(host.GetCount(), c.listed ? 1 : 0);
        if (!c.listed) {
            EXPECT_EQ(host.GetFailures(), std::vector<std::string>{folder_ + "\\a.spi" "が異常終了しました"});
            continue;
        }
        const DWORD start = GetTickCount();
        std::string message;
        bool loaded = false;
        try {
            // 64 x 64 pixels are four whole pages: a read past the section faults rather than passing unseen.
            loaded = host.LoadPicture(picture, 64, 64);
        } catch (const SpiHostFailure& e) {
            message = e.what();
        }
        EXPECT_LT(GetTickCount() - start, kSpiRequestCallLimits * kCall + 2000) << "the request's time and no more";
        if (loaded) {
            EXPECT_LE(host.GetPicture().visibleWidth, 64);
            EXPECT_LE(host.GetPicture().visibleHeight, 64);
        }
        if (std::string(c.message) == "velmira")
            EXPECT_NE(message.find("spihost_liar.exeが異常終了しました"), std::string::npos) << message;
        else if (*c.message)
            EXPECT_EQ(message, folder_ + "\\a.spi" + c.message);
        else
            EXPECT_TRUE(message.empty() || message.find("a.spi") != std::string::npos) << message;
    }
    SetEnvironmentVariableA("VELMIRA_LIE", nullptr);
}

}  // namespace
}  // namespace velmira
