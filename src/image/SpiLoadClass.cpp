#include "image/SpiLoadClass.h"
#include "text/SystemText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "image/SpiPictureCheck.h"

namespace velmira {

namespace {

constexpr int kInfoBufferSize = 260;
// A plug-in that answers every index would keep the pair loop going for ever; no real one has this many formats.
constexpr int kMaxInfoPairs = 256;


// The one place where an export's address becomes its typed entry point (through the generic function
// pointer type, which every function pointer converts to and from without a warning).
template <class Fn>
Fn LookUp(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// A broken or foreign ".SPI" file must not make the loader put up a message box while the program starts.
class ScopedQuietErrors {
public:
    ScopedQuietErrors() noexcept { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
    ScopedQuietErrors(const ScopedQuietErrors&) = delete;
    ScopedQuietErrors& operator=(const ScopedQuietErrors&) = delete;
    ~ScopedQuietErrors() { ::SetThreadErrorMode(old_, nullptr); }

private:
    DWORD old_ = 0;
};

// Loads a DLL by its full path only. A relative folder is resolved against the current directory first, as the
// search that found the file did: LoadLibrary would otherwise look for a relative name along the DLL search path.
// LOAD_WITH_ALTERED_SEARCH_PATH makes the plug-in's own dependencies resolve from its folder, where the plug-in's
// author put them, rather than from the program's.
ui::UniqueModule LoadByFullPath(const std::string& path) {
    char full[MAX_PATH];
    const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return {};
    ScopedQuietErrors quiet;
    return ui::UniqueModule(::LoadLibraryExA(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

// A record for the DLL at the path, or none when it does not load or lacks a required export.
std::unique_ptr<ST_SpiPlugin> LoadPlugin(const std::string& path) {
    auto plugin = std::make_unique<ST_SpiPlugin>();
    plugin->Module = LoadByFullPath(path);
    const HMODULE module = plugin->Module.get();
    if (!module) return nullptr;
    plugin->GetPluginInfo = LookUp<spi::GetPluginInfoFn>(module, "GetPluginInfo");
    plugin->IsSupported = LookUp<spi::IsSupportedFn>(module, "IsSupported");
    plugin->GetPictureInfo = LookUp<spi::GetPictureInfoFn>(module, "GetPictureInfo");
    plugin->GetPicture = LookUp<spi::GetPictureFn>(module, "GetPicture");
    plugin->GetPreview = LookUp<spi::GetPreviewFn>(module, "GetPreview");
    plugin->GetArchiveInfo = LookUp<spi::GetArchiveInfoFn>(module, "GetArchiveInfo");
    plugin->GetFile = LookUp<spi::GetFileFn>(module, "GetFile");
    if (!plugin->GetPluginInfo || !plugin->IsSupported || !plugin->GetPicture) return nullptr;
    return plugin;
}

// The file opened for one IsSupported call: plug-ins read through the handle and leave its pointer wherever
// they stopped, so every plug-in gets a handle of its own.
class ScopedLFile {
public:
    explicit ScopedLFile(const std::string& name) noexcept
        : file_(::_lopen(name.c_str(), OF_READ | OF_SHARE_DENY_NONE)) {}
    ScopedLFile(const ScopedLFile&) = delete;
    ScopedLFile& operator=(const ScopedLFile&) = delete;
    ~ScopedLFile() {
        if (file_ != HFILE_ERROR) ::_lclose(file_);
    }
    explicit operator bool() const noexcept { return file_ != HFILE_ERROR; }
    DWORD handle() const noexcept { return static_cast<DWORD>(file_); }

private:
    HFILE file_;
};

// Calls GetPluginInfo on a zeroed buffer and returns the text it left, or false when it answered 0.
bool AskInfo(const ST_SpiPlugin& plugin, int index, std::string& text) {
    char buffer[kInfoBufferSize] = {};
    if (plugin.GetPluginInfo(index, buffer, kInfoBufferSize) == 0) return false;
    text = PluginInfoText(buffer, sizeof buffer, velmira::IsLeadByte);
    return true;
}

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

}  // namespace

SpiLoadClass::~SpiLoadClass() { UnloadPlugins(); }

void SpiLoadClass::UnloadPlugins() noexcept {
    Current = nullptr;
    Count = 0;
    // Front to back, each record's DLL unloaded with the record, without recursing along the chain.
    while (First) First = std::move(First->Next);
}

void SpiLoadClass::LoadPlugins(const std::string& folder) {
    UnloadPlugins();
    Folder = folder;
    // With a folder ending in "\" the separator is doubled; the file system takes that as one.
    WIN32_FIND_DATAA found;
    const ui::UniqueFind search(::FindFirstFileA((Folder + "\\*.SPI").c_str(), &found));
    if (!search) return;
    ST_SpiPlugin* last = nullptr;
    do {
        std::unique_ptr<ST_SpiPlugin> plugin = LoadPlugin(Folder + "\\" + found.cFileName);
        if (!plugin) continue;
        ST_SpiPlugin& added = *plugin;
        (last ? last->Next : First) = std::move(plugin);
        last = &added;
        ReadPluginInfo(added);
        ++Count;
    } while (::FindNextFileA(search.get(), &found));
}

void SpiLoadClass::ReadPluginInfo(ST_SpiPlugin& plugin) {
    // Stops at the first pattern index that answers 0 rather than asking the description index after it too:
    // plug-ins read their string table past its end there and crash. Only the last pair answered is kept.
    for (int n = 0; n < kMaxInfoPairs; ++n) {
        if (!AskInfo(plugin, 2 * n + 2, plugin.Pattern)) break;
        if (!AskInfo(plugin, 2 * n + 3, plugin.Description)) break;
    }
}

void SpiLoadClass::GetSpiInfo(int n, std::vector<ST_SpiInfo>& array) const {
    const std::size_t limit = std::min(static_cast<std::size_t>(std::max(n, 0)), array.size());
    std::size_t i = 0;
    for (const ST_SpiPlugin* p = First.get(); p && i < limit; p = p->Next.get(), ++i) {
        array[i].Pattern = p->Pattern;
        array[i].Description = p->Description;
    }
}

bool SpiLoadClass::FindPlugin() {
    for (ST_SpiPlugin* p = First.get(); p; p = p->Next.get()) {
        // A file that cannot be opened gives no handle to ask with; it counts as not supported rather than
        // handing the plug-in HFILE_ERROR as if it were a file.
        const ScopedLFile file(FileName);
        if (file && p->IsSupported(FileName.c_str(), file.handle()) != 0) {
            Current = p;
            return true;
        }
    }
    return false;
}

bool SpiLoadClass::LoadPicture(const std::string& fileName) {
    FileName = fileName;
    if (!FindPlugin()) return false;
    Picture.reset();
    PictureWidth = PictureHeight = 0;
    return DecodeWith(*Current);
}

// What a plug-in hands back is checked before it is used (CheckSpiPicture, IsMemoryBlock), but its calls are not
// guarded: a plug-in that faults inside a call, writes past the buffers it is given or never returns takes the
// program with it, like any DLL loaded into the process. Catching the fault would need structured exception
// handling, which this compiler does not give C++ code, and a program that carries on after an access
// violation in foreign code carries on with whatever that code left broken. Plug-ins are chosen by the user.
bool SpiLoadClass::DecodeWith(const ST_SpiPlugin& plugin) {
    if (!plugin.GetPictureInfo) return false;
    spi::PictureInfo info;
    static_assert(sizeof info == kPictureInfoSize, "the record the plug-in fills");
    std::memset(&info, kPictureInfoSentinel, sizeof info);
    if (plugin.GetPictureInfo(FileName.c_str(), 0, 0, &info) != spi::kSuccess) return false;
    unsigned char record[kPictureInfoSize];
    std::memcpy(record, &info, sizeof record);
    ReleaseTextInformation(record);
    const LONG width = info.width;
    const LONG height = info.height;

    HANDLE infoHandle = nullptr;
    HANDLE pixelHandle = nullptr;
    if (plugin.GetPicture(FileName.c_str(), 0, 0, &infoHandle, &pixelHandle, nullptr, 0) != spi::kSuccess)
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
    blocks.width = width;
    blocks.height = height;
    if (CheckSpiPicture(blocks) != SpiPictureVerdict::Ok) return false;

    const ui::ScopedGetDC screen(nullptr);
    if (!screen) return false;
    ui::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!bitmap) return false;
    const int lines = ::SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(height), pixelLock.get(),
                                  static_cast<const BITMAPINFO*>(infoLock.get()), DIB_RGB_COLORS);
    if (lines == 0) return false;
    Picture = std::move(bitmap);
    PictureWidth = width;
    PictureHeight = height;
    return true;
}

}  // namespace velmira
