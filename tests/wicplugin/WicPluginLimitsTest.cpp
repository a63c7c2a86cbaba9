// The bundled plug-in velmira_wic.spi against what it must refuse or survive: broken, truncated and absurd files,
// an abort, missing files, many decodes in a row; and what it needs of the system.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>
#include <wincodec.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "wicplugin/WicPluginCalls.h"
#include "wicplugin/DecoderRegistry.h"
#include "wicplugin/WicDecode.h"
#include "support/ProgramFolder.h"

namespace {

using namespace wictest;

TEST_F(WicPluginTest, BrokenAndTruncatedFilesAnswerAnErrorCode) {
    const Bytes png = Png(MakeFrame(GUID_WICPixelFormat32bppBGRA, 64, 64, [](UINT x, UINT y) {
        return Bytes{BYTE(x * 3), BYTE(y * 5), BYTE(x ^ y), BYTE(x + y)};
    }));
    const Bytes gif = [] {
        Frame f = MakeFrame(GUID_WICPixelFormat8bppIndexed, 64, 64, [](UINT x, UINT y) { return Bytes{BYTE((x * y) & 3)}; });
        f.palette = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
        return Encode(GUID_ContainerFormatGif, {f});
    }();
    const Bytes tiff = Encode(GUID_ContainerFormatTiff, {Solid24(64, 64, {1, 2, 3})});
    ASSERT_FALSE(png.empty());
    ASSERT_FALSE(gif.empty());
    ASSERT_FALSE(tiff.empty());
    auto cut = [](const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.begin() + std::min(n, b.size())); };
    Bytes scrambledPng = png;
    for (std::size_t i = 60; i < scrambledPng.size() - 20; i += 7) scrambledPng[i] ^= 0x5A;
    const Bytes icon = Icon({{32, 32, IconDib(32, 32, {1, 2, 3})}});
    Bytes iconPastEnd = icon;
    iconPastEnd[18] = 0x7F;  // the image offset points far beyond the file

    const struct {
        const char* name;
        Bytes content;
    } cases[] = {
        {"png signature only", cut(png, 8)},
        {"png cut in its header", cut(png, 20)},
        {"png cut in its data", cut(png, png.size() / 2)},
        {"png scrambled data", scrambledPng},
        {"gif cut in its data", cut(gif, gif.size() / 2)},
        {"gif header only", cut(gif, 13)},
        {"tiff cut before its directory", cut(tiff, 16)},
        {"icon directory only", cut(icon, 22)},
        {"icon pointing past its end", iconPastEnd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFile file(c.content);
        spi::PictureInfo info{};
        const int infoResult = ThePlugin().GetPictureInfo(file.path(), 0, 0, &info);
        HANDLE hInfo = nullptr, hBits = nullptr;
        const int result = ThePlugin().GetPicture(file.path(), 0, 0, &hInfo, &hBits, nullptr, 0);
        EXPECT_TRUE(result == spi::kUnknownFormat || result == spi::kBrokenData) << "result " << result
                                                                                   << ", info result " << infoResult;
        EXPECT_EQ(hInfo, nullptr);
        EXPECT_EQ(hBits, nullptr);
        HANDLE mInfo = nullptr, mBits = nullptr;
        const int memoryResult = ThePlugin().GetPicture(reinterpret_cast<LPCSTR>(c.content.data()),
                                                        static_cast<LONG>(c.content.size()), 1, &mInfo, &mBits, nullptr, 0);
        EXPECT_EQ(memoryResult, result);
        EXPECT_EQ(mBits, nullptr);
    }
}

TEST_F(WicPluginTest, AbsurdSizesAreRefusedAsOutOfMemoryBeforeAllocating) {
    TempFile huge(TiffClaiming(10000, 10000));  // 10^8 pixels, above the 2^26 limit
    spi::PictureInfo info{};
    ASSERT_EQ(ThePlugin().GetPictureInfo(huge.path(), 0, 0, &info), spi::kSuccess);
    EXPECT_EQ(info.width, 10000);
    EXPECT_EQ(DecodeFile(huge.path()).result, spi::kOutOfMemory);

    TempFile fits(TiffClaiming(4, 4));  // the same file at a sane size decodes: the refusal is the size's
    const Decoded d = DecodeFile(fits.path());
    ExpectDib(d, 4, 4);
    if (d.result == 0) {
        EXPECT_TRUE(Near(d.At(0, 0), {128, 128, 128}));
    }
}

int __stdcall CountCalls(int, int, LONG lData) {
    ++*reinterpret_cast<int*>(lData);
    return 0;
}

int __stdcall Abort(int, int, LONG) { return 1; }

TEST_F(WicPluginTest, ProgressIsReportedAndAnAbortIsHonoured) {
    TempFile file(Png(Solid24(16, 16, {1, 2, 3})));
    int calls = 0;
    HANDLE info = nullptr, bits = nullptr;
    const int result = ThePlugin().GetPicture(file.path(), 0, 0, &info, &bits, CountCalls,
                                              static_cast<LONG>(reinterpret_cast<INT_PTR>(&calls)));
    ExpectDib(ReadBack(result, info, bits), 16, 16);
    EXPECT_GE(calls, 2);
    info = bits = nullptr;
    EXPECT_EQ(ThePlugin().GetPicture(file.path(), 0, 0, &info, &bits, Abort, 0), spi::kAborted);
    EXPECT_EQ(bits, nullptr);
}

TEST_F(WicPluginTest, MissingFilesAnswerAReadError) {
    spi::PictureInfo info{};
    EXPECT_EQ(ThePlugin().GetPictureInfo("Z:\\no\\such\\folder\\none.png", 0, 0, &info), spi::kReadError);
    EXPECT_EQ(DecodeFile("Z:\\no\\such\\folder\\none.png").result, spi::kReadError);
}

TEST_F(WicPluginTest, TwoHundredDecodesLeaveNoHandlesOrMemoryBehind) {
    const Bytes png = Png(MakeFrame(GUID_WICPixelFormat32bppBGRA, 256, 256, [](UINT x, UINT y) {
        return Bytes{BYTE(x), BYTE(y), BYTE(x ^ y), 200};
    }));
    ASSERT_FALSE(png.empty());
    TempFile file(png);
    auto decodeBoth = [&] {
        ASSERT_EQ(DecodeFile(file.path()).freedBoth, true);
        ASSERT_EQ(DecodeMemory(png).freedBoth, true);
        spi::PictureInfo info{};
        ASSERT_EQ(ThePlugin().GetPictureInfo(file.path(), 0, 0, &info), 0);
        ASSERT_NE(AskWithHandle(file.path()), 0);
    };
    for (int i = 0; i < 5; ++i) decodeBoth();  // first use loads the codecs for good
    DWORD handlesBefore = 0, handlesAfter = 0;
    const BOOL countsHandles = ::GetProcessHandleCount(::GetCurrentProcess(), &handlesBefore);
    PROCESS_MEMORY_COUNTERS before{}, after{};
    ASSERT_TRUE(::GetProcessMemoryInfo(::GetCurrentProcess(), &before, sizeof before));
    for (int i = 0; i < 200; ++i) decodeBoth();
    ASSERT_TRUE(::GetProcessMemoryInfo(::GetCurrentProcess(), &after, sizeof after));
    // Wine answers 0 for the handle count; there a file handle left open shows as a refused exclusive open.
    ui::UniqueFile exclusive(::CreateFileA(file.path(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(exclusive) << "the picture file is still open somewhere";
    exclusive.reset();
    if (countsHandles && handlesBefore > 0 && ::GetProcessHandleCount(::GetCurrentProcess(), &handlesAfter)) {
        EXPECT_LE(handlesAfter, handlesBefore + 2) << "a file or section handle per decode would show here";
    }
    // Each round decodes a 256 KB picture three times and builds two 192 KB DIBs: a decoder kept alive by
    // one missing Release adds about 150 MB over 200 rounds under Wine, a 256 KB block per round 25 MB.
    const long long growth = static_cast<long long>(after.PagefileUsage) - static_cast<long long>(before.PagefileUsage);
    std::printf("[ measure  ] handles %lu -> %lu, private bytes %lu -> %lu\n", handlesBefore, handlesAfter,
                static_cast<unsigned long>(before.PagefileUsage), static_cast<unsigned long>(after.PagefileUsage));
    EXPECT_LT(growth, 8ll << 20);
}

TEST_F(WicPluginTest, ThePluginNeedsNoCompilerRuntimeDll) {
    const auto base = reinterpret_cast<const BYTE*>(ThePlugin().Module.get());
    const auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    std::vector<std::string> imports;
    for (auto d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        std::string name = reinterpret_cast<const char*>(base + d->Name);
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return static_cast<char>(::tolower(c)); });
        imports.push_back(name);
    }
    for (const std::string& name : imports) {
        EXPECT_EQ(name.find("libgcc"), std::string::npos) << name;
        EXPECT_EQ(name.find("libstdc++"), std::string::npos) << name;
        EXPECT_EQ(name.find("winpthread"), std::string::npos) << name;
    }
    EXPECT_NE(std::find(imports.begin(), imports.end(), "ole32.dll"), imports.end());
}

// The plug-in reads the decoders' patterns from their registrations instead of asking the imaging component;
// both must list the same decoders, in the same order, within the same length.
TEST_F(WicPluginTest, TheRegisteredPatternsAreTheImagingComponentsOwn) {
    constexpr char kCore[] = "*.png;*.gif;*.tif;*.tiff;*.webp;*.ico";
    for (std::size_t maxLength : {std::size_t{259}, std::size_t{40}}) {
        const std::string asked = velmira::wic::InstalledDecoderPatterns(kCore, maxLength);
        const std::optional<std::string> read = velmira::wic::RegisteredDecoderPatterns(kCore, maxLength);
        ASSERT_TRUE(read.has_value()) << "the decoder category is not registered";
        EXPECT_EQ(*read, asked) << maxLength;
    }
    std::string pattern(300, '#');
    const int n = ThePlugin().GetPluginInfo(2, pattern.data(), 260);
    EXPECT_EQ(pattern.substr(0, static_cast<std::size_t>(n)), velmira::wic::InstalledDecoderPatterns(kCore, 259));
}

// What this system's imaging component offers: the four formats the plug-in promises must decode; the rest
// is reported for the record.
TEST_F(WicPluginTest, InstalledCodecsCoverTheCoreFormats) {
    ComPtr<IWICImagingFactory> factory = Factory();
    ASSERT_TRUE(factory);
    std::string decoders, encoders;
    for (const auto& [kind, list] : {std::make_pair(WICDecoder, &decoders), std::make_pair(WICEncoder, &encoders)}) {
        ComPtr<IEnumUnknown> components;
        ASSERT_HRESULT_SUCCEEDED(factory->CreateComponentEnumerator(kind, WICComponentEnumerateDefault, components.put()));
        for (;;) {
            ComPtr<IUnknown> unknown;
            ULONG fetched = 0;
            if (components->Next(1, unknown.put(), &fetched) != S_OK) break;
            ComPtr<IWICBitmapCodecInfo> info;
            if (FAILED(unknown->QueryInterface(IID_IWICBitmapCodecInfo, reinterpret_cast<void**>(info.put())))) continue;
            WCHAR name[256] = {};
            UINT length = 0;
            info->GetFriendlyName(256, name, &length);
            char narrow[512] = {};
            ::WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
            *list += std::string(list->empty() ? "" : "; ") + narrow;
        }
    }
    std::printf("[ codecs   ] decoders: %s\n[ codecs   ] encoders: %s\n", decoders.c_str(), encoders.c_str());
    for (const GUID& container : {GUID_ContainerFormatPng, GUID_ContainerFormatGif, GUID_ContainerFormatTiff,
                                  GUID_ContainerFormatIco}) {
        ComPtr<IWICBitmapDecoder> decoder;
        EXPECT_HRESULT_SUCCEEDED(factory->CreateDecoder(container, nullptr, decoder.put()));
    }
}

}  // namespace
