#include "spihost/SpiPluginCalls.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>

#include "picture/BmpDecoder.h"
#include "spihost/SpiPictureCheck.h"
#include "spihost/SpiPluginInfo.h"
#include "text/SystemText.h"
#include "ui/SystemLibrary.h"

namespace velmira {

namespace {

constexpr int kInfoBufferSize = 260;
// A plug-in that answers every index would keep the pair loop going for ever; no real one has this many formats.
constexpr int kMaxInfoPairs = 256;

// A broken or foreign ".SPI" file must not make the loader put up a message box.
class ScopedQuietErrors {
public:
    ScopedQuietErrors() noexcept { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
    ScopedQuietErrors(const ScopedQuietErrors&) = delete;
    ScopedQuietErrors& operator=(const ScopedQuietErrors&) = delete;
    ~ScopedQuietErrors() { ::SetThreadErrorMode(old_, nullptr); }

private:
    DWORD old_ = 0;
};

// Whether a value a plug-in handed back is a memory block of this process. The memory functions check their
// handles, but they take a fixed block's "handle" as a heap pointer, and freeing a pointer that is no block of the
// heap corrupts it. A value that is no block is left alone: whatever it was leaks, rather than the heap breaking.
bool IsMemoryBlock(HANDLE h) {
    return h && ::GlobalFlags(h) != GMEM_INVALID_HANDLE && ::GlobalSize(h) != 0;
}

// Takes a block a plug-in handed over: owned when it is one, none otherwise.
ui::UniqueGlobal TakeBlock(HANDLE h) { return ui::UniqueGlobal(IsMemoryBlock(h) ? h : nullptr); }

// Releases the picture's text information where the plug-in really put it (see PictureInfoTextHandle).
void ReleaseTextInformation(const unsigned char (&record)[kPictureInfoSize]) {
    const auto handle = reinterpret_cast<HLOCAL>(static_cast<std::uintptr_t>(PictureInfoTextHandle(record)));
    if (IsMemoryBlock(handle)) ::LocalFree(handle);
}

// Calls GetPluginInfo on a zeroed buffer and returns the text it left, or false when it answered 0.
bool AskInfo(const SpiPluginModule& plugin, int index, std::string& text) {
    char buffer[kInfoBufferSize] = {};
    if (plugin.GetPluginInfo(index, buffer, kInfoBufferSize) == 0) return false;
    text = PluginInfoText(buffer, sizeof buffer, velmira::IsLeadByte);
    return true;
}

// The visible part of a whole picture that a plug-in handed back, once it has passed the check.
bool ReadVisiblePart(const SpiPictureBlocks& blocks, const SpiPictureLayout& layout, const unsigned char* pixels,
                     int maxWidth, int maxHeight, std::uint32_t* out, SpiRegion& region) {
    SpiDibFile file(blocks, layout, pixels);
    DecodedPicture picture;
    try {
        picture = DecodeBmp(file, maxWidth, maxHeight);
    } catch (const std::exception&) {
        return false;
    }
    std::copy(picture.pixels.begin(), picture.pixels.end(), out);
    region = SpiRegion{picture.width, picture.height, picture.visibleWidth, picture.visibleHeight};
    return true;
}

// Asks our own plug-in for the visible part alone, and checks that the sizes it gives describe what it wrote.
bool DecodeRegionExport(const SpiPluginModule& plugin, const std::string& fileName, int maxWidth, int maxHeight,
                        std::uint32_t* pixels, SpiRegion& region) {
    spi::PictureRegion answer{};
    if (plugin.VelmiraGetPictureRegion(fileName.c_str(), 0, 0, maxWidth, maxHeight, &answer,
                                reinterpret_cast<DWORD*>(pixels)) != spi::kSuccess)
        return false;
    if (answer.width < 1 || answer.height < 1 || answer.visibleWidth != std::min<LONG>(answer.width, maxWidth) ||
        answer.visibleHeight != std::min<LONG>(answer.height, maxHeight))
        return false;
    region = SpiRegion{answer.width, answer.height, answer.visibleWidth, answer.visibleHeight};
    return true;
}

}  // namespace

std::unique_ptr<SpiPluginModule> LoadSpiPlugin(const std::string& path, bool* startUpFailed) {
    // A relative folder is resolved against the current folder first, as the search that found the file did:
    // a relative name would otherwise be looked for along the DLL search path.
    char full[MAX_PATH];
    const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    auto plugin = std::make_unique<SpiPluginModule>();
    plugin->Path.assign(full, length);
    {
        ScopedQuietErrors quiet;
        plugin->Module = ui::LoadLibraryByFullPath(plugin->Path);
        // Windows answers a failed start-up so; Wine, which catches a fault there, with the fault's own code.
        const DWORD error = plugin->Module ? ERROR_SUCCESS : ::GetLastError();
        if (startUpFailed) *startUpFailed = error == ERROR_DLL_INIT_FAILED || error == ERROR_NOACCESS;
    }
    const HMODULE module = plugin->Module.get();
    if (!module) return nullptr;
    plugin->GetPluginInfo = ui::ExportOf<spi::GetPluginInfoFn>(module, "GetPluginInfo");
    plugin->IsSupported = ui::ExportOf<spi::IsSupportedFn>(module, "IsSupported");
    plugin->GetPictureInfo = ui::ExportOf<spi::GetPictureInfoFn>(module, "GetPictureInfo");
    plugin->GetPicture = ui::ExportOf<spi::GetPictureFn>(module, "GetPicture");
    plugin->GetPreview = ui::ExportOf<spi::GetPreviewFn>(module, "GetPreview");
    plugin->GetArchiveInfo = ui::ExportOf<spi::GetArchiveInfoFn>(module, "GetArchiveInfo");
    plugin->GetFile = ui::ExportOf<spi::GetFileFn>(module, "GetFile");
    plugin->VelmiraGetPictureRegion =
        ui::ExportOf<spi::VelmiraGetPictureRegionFn>(module, "VelmiraGetPictureRegion");
    if (!plugin->GetPluginInfo || !plugin->IsSupported || !plugin->GetPicture) return nullptr;
    return plugin;
}

void ReadSpiPluginInfo(const SpiPluginModule& plugin, std::string& pattern, std::string& description,
                       const std::function<void()>& beforeCall) {
    // Stops at the first pattern index that answers 0 rather than asking the description index after it too:
    // plug-ins read their string table past its end there and crash. Only the last pair answered is kept.
    for (int n = 0; n < kMaxInfoPairs; ++n) {
        beforeCall();
        if (!AskInfo(plugin, 2 * n + 2, pattern)) break;
        beforeCall();
        if (!AskInfo(plugin, 2 * n + 3, description)) break;
    }
}

bool ReadSpiFileHead(const std::string& fileName, SpiFileHead& head) {
    head.fill(0);
    const ui::UniqueFile file(::CreateFileA(fileName.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD read = 0;
    return ::ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr) != FALSE;
}

bool AcceptsSpiFile(const SpiPluginModule& plugin, const std::string& fileName, const SpiFileHead& head) {
    SpiFileHead copy = head;
    // No block of this process lies in the first 64 KB of the address space, so the address's high word is
    // never zero: the plug-in can tell it from a file handle.
    const auto buffer = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(copy.data()));
    return plugin.IsSupported(fileName.c_str(), buffer) != 0;
}

bool AcceptsSpiFileHandle(const SpiPluginModule& plugin, const std::string& fileName) {
    // A handle of its own for each plug-in, at offset 0 whatever the one before read.
    const ui::UniqueFile file(::CreateFileA(fileName.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    return plugin.IsSupported(fileName.c_str(), HandleToULong(file.get())) != 0;
}

// What a plug-in hands back is checked before it is read or freed (CheckSpiPicture, IsMemoryBlock).
bool DecodeSpiRegion(const SpiPluginModule& plugin, const std::string& fileName, int maxWidth, int maxHeight,
                     std::uint32_t* pixels, SpiRegion& region) {
    if (maxWidth < 1 || maxHeight < 1) return false;
    if (plugin.VelmiraGetPictureRegion) return DecodeRegionExport(plugin, fileName, maxWidth, maxHeight, pixels, region);
    if (!plugin.GetPictureInfo) return false;
    spi::PictureInfo info;
    static_assert(sizeof info == kPictureInfoSize, "the record the plug-in fills");
    std::memset(&info, kPictureInfoSentinel, sizeof info);
    if (plugin.GetPictureInfo(fileName.c_str(), 0, 0, &info) != spi::kSuccess) return false;
    unsigned char record[kPictureInfoSize];
    std::memcpy(record, &info, sizeof record);
    ReleaseTextInformation(record);

    HANDLE infoHandle = nullptr;
    HANDLE pixelHandle = nullptr;
    if (plugin.GetPicture(fileName.c_str(), 0, 0, &infoHandle, &pixelHandle, nullptr, 0) != spi::kSuccess)
        return false;
    // Declared in this order so that the pixels are unlocked and released before the bitmap info.
    const ui::UniqueGlobal infoBlock = TakeBlock(infoHandle);
    const ui::UniqueGlobal pixelBlock = TakeBlock(pixelHandle);
    const ui::ScopedGlobalLock infoLock(infoBlock.get());
    const ui::ScopedGlobalLock pixelLock(pixelBlock.get());
    if (!infoLock || !pixelLock) return false;

    SpiPictureBlocks blocks;
    blocks.info = static_cast<const unsigned char*>(infoLock.get());
    blocks.infoSize = ::GlobalSize(infoBlock.get());
    blocks.pixelSize = ::GlobalSize(pixelBlock.get());
    blocks.width = info.width;
    blocks.height = info.height;
    SpiPictureLayout layout;
    if (CheckSpiPicture(blocks, &layout) != SpiPictureVerdict::Ok) return false;
    return ReadVisiblePart(blocks, layout, static_cast<const unsigned char*>(pixelLock.get()), maxWidth, maxHeight,
                           pixels, region);
}

}  // namespace velmira
