#pragma once
// The plug-in host against real plug-in DLLs (tests/plugins), copied into a fresh folder for every test, and
// the real helper process that the build puts one folder above the tests. Where a test must see what a plug-in
// was handed, it loads the plug-in in its own process, makes the helper's calls (spihost/SpiPluginCalls.h) and asks
// the plug-in.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/SpiLoadClass.h"
#include "spihost/SpiPluginCalls.h"
#include "support/ProgramFolder.h"
#include "ui/SystemLibrary.h"
#include "support/TestFolders.h"

namespace velmira::spitest {

inline std::string BuiltPlugin(const std::string& name) {
    return testsupport::ProgramFolder() + VELMIRA_SPI_PLUGIN_DIR "\\" + name + ".spi";
}

// A test plug-in's DLL loaded in this process, for the calls the helper makes.
inline std::unique_ptr<SpiPluginModule> LoadHere(const std::string& path) {
    std::unique_ptr<SpiPluginModule> plugin = LoadSpiPlugin(path);
    EXPECT_TRUE(plugin) << path;
    return plugin;
}

// Has a plug-in loaded here decode the file as the helper has it do: the part a preview shows.
inline bool DecodeHere(const SpiPluginModule& plugin, const std::string& path) {
    std::vector<std::uint32_t> pixels(std::size_t{kPreviewWidth} * kPreviewHeight);
    SpiRegion region;
    return DecodeSpiRegion(plugin, path, kPreviewWidth, kPreviewHeight, pixels.data(), region);
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
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
    return ui::ExportOf<Fn>(plugin->Module.get(), name);
}

// A bitmap's pixels, top row first, as 0x00RRGGBB.
inline std::vector<std::uint32_t> ReadPixels(HBITMAP bitmap, int width, int height) {
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
inline const std::string kP6 = std::string("P6\n# test\n3 2\n255\n") +
                        std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF\x00\x00\x00\x80\x80\x80", 18);
inline const std::vector<std::uint32_t> kP6Pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
inline const std::string kP5 = std::string("P5 3 2 255\n") + std::string("\x00\x40\x80\xC0\xFF\x10", 6);
inline const std::vector<std::uint32_t> kP5Pixels = {0x000000, 0x404040, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x101010};

// A window procedure that calls the function its window's user data points at whenever it is painted.
inline LRESULT CALLBACK PaintCalls(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_PAINT) return DefWindowProcA(window, message, w, l);
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    EndPaint(window, &ps);
    (*reinterpret_cast<std::function<void()>*>(GetWindowLongPtrA(window, GWLP_USERDATA)))();
    return 0;
}

// Each call into a plug-in may take this long here: more than twice the slowest test plug-in's 1.5 s, and short
// enough that a plug-in made to hang costs the tests little.
inline constexpr DWORD kTestAnswerTimeoutMs = 4000;

class SpiLoadClassTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = NewFolder();
        host_ = NewHost(kTestAnswerTimeoutMs);
    }

    // A host of the helper the build made, with this time limit for each call, and no cache file.
    static std::unique_ptr<SpiLoadClass> NewHost(DWORD answerTimeoutMs) {
        auto host = std::make_unique<SpiLoadClass>(SpiHostOptions{testsupport::BuiltSpiHost(), answerTimeoutMs, {}});
        host->SetCacheFile({});
        return host;
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

    std::unique_ptr<SpiLoadClass> host_;
    std::string folder_;
    std::vector<std::string> folders_;
};

}  // namespace velmira::spitest
