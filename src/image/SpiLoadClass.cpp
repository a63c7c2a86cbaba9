#include "image/SpiLoadClass.h"

#include <utility>

#include <algorithm>

#include "text/SystemText.h"
#include "ui/UniqueHandle.h"
#include "ui/WholeFile.h"

namespace velmira {

namespace {

constexpr char kBundledName[] = "velmira_wic.spi";
// A cache file is a few lines per plug-in; anything far larger is no cache of ours.
constexpr DWORD kMaxCacheBytes = 1 << 20;

// Whether a test named the bundled plug-in, and which (empty: none).

std::string FullPath(const std::string& path) {
    char full[MAX_PATH];
    const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : std::string();
}

std::uint64_t FileTimeValue(const FILETIME& time) {
    return std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime;
}

std::uint64_t FileSizeValue(DWORD high, DWORD low) { return std::uint64_t{high} << 32 | low; }

bool SameFile(const std::string& fullA, const std::string& fullB) { return ::lstrcmpiA(fullA.c_str(), fullB.c_str()) == 0; }

}  // namespace

// One candidate plug-in file as the folder search (or the bundled plug-in's attributes) gives it.
struct SpiLoadClass::PluginFile {
    std::string path;  // in full
    std::uint64_t size = 0;
    std::uint64_t time = 0;
    bool inFolder = false;
};

SpiLoadClass::SpiLoadClass(SpiHostOptions host)
    : Bundled(host.bundledPlugin.empty() ? ExecutableDirectory() + kBundledName : host.bundledPlugin),
      Host(std::move(host)) {}

SpiLoadClass::~SpiLoadClass() { UnloadPlugins(); }

void SpiLoadClass::UnloadPlugins() noexcept {
    Current = nullptr;
    Count = 0;
    FolderCount = 0;
    // Front to back, without recursing along the chain.
    while (First) First = std::move(First->Next);
}

std::vector<SpiLoadClass::PluginFile> SpiLoadClass::PluginFiles() const {
    std::vector<PluginFile> files;
    // With a folder ending in "\" the separator is doubled; the file system takes that as one.
    WIN32_FIND_DATAA found;
    const ui::UniqueFind search(::FindFirstFileA((Folder + "\\*.SPI").c_str(), &found));
    for (bool more = static_cast<bool>(search); more; more = ::FindNextFileA(search.get(), &found) != FALSE) {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        // A relative folder is resolved against the current folder, as the search was.
        const std::string path = FullPath(Folder + "\\" + found.cFileName);
        if (!path.empty())
            files.push_back({path, FileSizeValue(found.nFileSizeHigh, found.nFileSizeLow),
                             FileTimeValue(found.ftLastWriteTime), true});
    }
    // After the folder's own, so that a user's plug-in for one of its formats comes first; not twice when the
    // folder is the bundled plug-in's own.
    const std::string bundled = FullPath(Bundled);
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!bundled.empty() && ::GetFileAttributesExA(bundled.c_str(), GetFileExInfoStandard, &attributes) &&
        !(attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        std::none_of(files.begin(), files.end(), [&](const PluginFile& f) { return SameFile(f.path, bundled); }))
        files.push_back({bundled, FileSizeValue(attributes.nFileSizeHigh, attributes.nFileSizeLow),
                         FileTimeValue(attributes.ftLastWriteTime), false});
    return files;
}

std::vector<SpiCacheEntry> SpiLoadClass::Describe(const std::vector<PluginFile>& files) {
    const std::string cacheText =
        CacheFile.empty() ? std::string() : ui::ReadWholeFile(CacheFile, kMaxCacheBytes).value_or(std::string());
    const std::vector<SpiCacheEntry> cached = ParseSpiCache(cacheText);
    std::vector<SpiCacheEntry> entries;
    std::vector<std::size_t> unknown;
    for (const PluginFile& file : files) {
        const auto known = std::find_if(cached.begin(), cached.end(), [&](const SpiCacheEntry& e) {
            return e.size == file.size && e.time == file.time && SameFile(e.path, file.path);
        });
        if (known == cached.end()) unknown.push_back(entries.size());
        entries.push_back(known != cached.end() ? *known
                                                : SpiCacheEntry{file.path, file.size, file.time, SpiPluginState::NotAPlugin, {}, {}});
    }
    if (unknown.empty()) return entries;

    std::vector<std::string> paths;
    for (std::size_t i : unknown) paths.push_back(entries[i].path);
    std::vector<SpiPluginDescription> found;
    try {
        found = Host.Describe(paths);
    } catch (const SpiHostFailure& e) {
        // No helper to ask: the files it would have described stay out of the list, and out of the cache.
        Failures.push_back(e.what());
        for (auto i = unknown.rbegin(); i != unknown.rend(); ++i) entries.erase(entries.begin() + *i);
        return entries;
    }
    for (std::size_t k = 0; k < unknown.size(); ++k) {
        SpiCacheEntry& entry = entries[unknown[k]];
        entry.state = found[k].state;
        entry.pattern = found[k].pattern;
        entry.description = found[k].description;
        if (entry.state == SpiPluginState::Crashed || entry.state == SpiPluginState::Hung)
            Failures.push_back(SpiFailureText(entry.path, entry.state));
    }
    const std::string updated = FormatSpiCache(entries);
    // Best effort: a folder that cannot be written only means the plug-ins are asked again at the next start.
    if (!CacheFile.empty() && updated != cacheText) ui::WriteWholeFile(CacheFile, updated);
    return entries;
}

void SpiLoadClass::LoadPlugins(const std::string& folder) {
    if (Host.Busy()) throw SpiHostBusy();
    // The helper lets the old plug-ins go with it, so that their files are free; the next picture starts another.
    Host.Reset();
    UnloadPlugins();
    Folder = folder;
    Failures.clear();
    const std::vector<PluginFile> files = PluginFiles();
    const std::vector<SpiCacheEntry> entries = Describe(files);
    ST_SpiPlugin* last = nullptr;
    for (const SpiCacheEntry& entry : entries) {
        if (entry.state != SpiPluginState::Usable) continue;
        auto plugin = std::make_unique<ST_SpiPlugin>();
        plugin->Pattern = entry.pattern;
        plugin->Description = entry.description;
        plugin->Path = entry.path;
        ST_SpiPlugin& added = *plugin;
        (last ? last->Next : First) = std::move(plugin);
        last = &added;
        ++Count;
        const bool inFolder = std::any_of(files.begin(), files.end(), [&](const PluginFile& f) {
            return f.inFolder && f.path == entry.path;
        });
        if (inFolder) ++FolderCount;
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

std::vector<std::string> SpiLoadClass::PluginPaths() const {
    std::vector<std::string> paths;
    for (const ST_SpiPlugin* p = First.get(); p; p = p->Next.get()) paths.push_back(p->Path);
    return paths;
}

bool SpiLoadClass::FindPlugin() {
    const int index = First ? Host.Find(PluginPaths(), FileName) : -1;
    if (index < 0) return false;
    ST_SpiPlugin* p = First.get();
    for (int i = 0; i < index && p; ++i) p = p->Next.get();
    if (!p) return false;
    Current = p;
    return true;
}

bool SpiLoadClass::LoadPicture(const std::string& fileName, int maxWidth, int maxHeight) {
    if (Host.Busy()) throw SpiHostBusy();
    FileName = fileName;
    Picture = DecodedPicture{};
    if (!FindPlugin()) return false;
    int index = 0;
    for (const ST_SpiPlugin* p = First.get(); p != Current; p = p->Next.get()) ++index;
    std::optional<DecodedPicture> decoded = Host.Decode(PluginPaths(), index, FileName, maxWidth, maxHeight);
    if (!decoded) return false;
    Picture = std::move(*decoded);
    return true;
}

}  // namespace velmira
