#include "image/SpiLoadClass.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "text/SystemText.h"
#include "ui/UniqueHandle.h"
#include "ui/WholeFile.h"

namespace velmira {

namespace {

constexpr char kBundledName[] = "velmira_wic.spi";
// A cache file is a few lines per plug-in; anything far larger is no cache of ours.
constexpr DWORD kMaxCacheBytes = 1 << 20;

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

// The files the cache did not know, described one by one in a helper of their own on a thread of its own: the
// window goes on meanwhile and takes each description as it ends (TakeDescribed).
struct SpiLoadClass::Describer {
    std::vector<std::string> paths;
    std::mutex mutex;
    std::vector<SpiPluginDescription> done;  // guarded by `mutex`, in the order of `paths`
    std::string failure;                     // guarded by `mutex`: the helper could not be started
    bool finished = false;                   // guarded by `mutex`
    std::size_t taken = 0;                   // of `done`, by the window's thread
    ui::UniqueKernelHandle stop{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    ui::UniqueKernelHandle progress{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    std::thread thread;

    void Run(const SpiHostOptions& options) noexcept {
        std::string failed;
        try {
            SpiHostProcess host(options, stop.get());
            for (const std::string& path : paths) {
                SpiPluginDescription description = host.Describe(path);
                const std::lock_guard<std::mutex> lock(mutex);
                done.push_back(std::move(description));
                ::SetEvent(progress.get());
            }
        } catch (const SpiHostFailure& e) {
            failed = e.what();
        } catch (const std::exception&) {
            // given up, or out of memory: the files not described stay out of the list and the cache
        }
        const std::lock_guard<std::mutex> lock(mutex);
        failure = std::move(failed);
        finished = true;
        ::SetEvent(progress.get());
    }
};

SpiLoadClass::SpiLoadClass(SpiHostOptions host)
    : Bundled(host.bundledPlugin.empty() ? ExecutableDirectory() + kBundledName : host.bundledPlugin),
      HostOptions(host),
      Host(std::move(host)) {}

SpiLoadClass::~SpiLoadClass() {
    StopDescribing();
    UnloadPlugins();
}

void SpiLoadClass::StopDescribing() noexcept {
    if (!describer_) return;
    ::SetEvent(describer_->stop.get());
    if (describer_->thread.joinable()) describer_->thread.join();
    describer_.reset();
}

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

std::vector<SpiCacheEntry> SpiLoadClass::CachedEntries(const std::vector<PluginFile>& files,
                                                        std::vector<std::size_t>& unknown) {
    const std::vector<SpiCacheEntry> cached = ParseSpiCache(CacheText);
    std::vector<SpiCacheEntry> entries;
    for (const PluginFile& file : files) {
        const auto known = std::find_if(cached.begin(), cached.end(), [&](const SpiCacheEntry& e) {
            return e.size == file.size && e.time == file.time && SameFile(e.path, file.path);
        });
        if (known == cached.end()) unknown.push_back(entries.size());
        entries.push_back(known != cached.end() ? *known
                                                : SpiCacheEntry{file.path, file.size, file.time, SpiPluginState::NotAPlugin, {}, {}});
    }
    return entries;
}

void SpiLoadClass::BeginLoadPlugins(const std::string& folder) {
    if (Host.Busy()) throw SpiHostBusy();
    StopDescribing();
    // The helper lets the old plug-ins go with it, so that their files are free; the next picture starts another.
    Host.Reset();
    UnloadPlugins();
    Folder = folder;
    Failures.clear();
    Files = PluginFiles();
    CacheText =
        CacheFile.empty() ? std::string() : ui::ReadWholeFile(CacheFile, kMaxCacheBytes).value_or(std::string());
    std::vector<std::size_t> unknown;
    Entries = CachedEntries(Files, unknown);
    Pending.assign(Entries.size(), false);
    if (!unknown.empty()) {
        describer_ = std::make_unique<Describer>();
        for (std::size_t i : unknown) {
            Pending[i] = true;
            describer_->paths.push_back(Entries[i].path);
        }
        Describer& describer = *describer_;
        describer.thread = std::thread([&describer, options = HostOptions] { describer.Run(options); });
    }
    ListEntries();
}

bool SpiLoadClass::TakeDescribed() {
    if (!describer_ || Host.Busy()) return false;
    Describer& d = *describer_;
    std::vector<SpiPluginDescription> described;
    std::string failure;
    bool finished = false;
    {
        const std::lock_guard<std::mutex> lock(d.mutex);
        described.assign(d.done.begin() + static_cast<std::ptrdiff_t>(d.taken), d.done.end());
        failure = d.failure;
        finished = d.finished;
    }
    bool changed = !described.empty();
    // The pending entries in order: each description goes to the next one still waiting.
    for (std::size_t i = 0, k = 0; i < Entries.size() && k < described.size(); ++i) {
        if (!Pending[i]) continue;
        SpiCacheEntry& entry = Entries[i];
        entry.state = described[k].state;
        entry.pattern = described[k].pattern;
        entry.description = described[k].description;
        Pending[i] = false;
        ++k;
        if (entry.state == SpiPluginState::Crashed || entry.state == SpiPluginState::Hung)
            Failures.push_back(SpiFailureText(entry.path, entry.state));
    }
    d.taken += described.size();
    if (finished) {
        d.thread.join();
        describer_.reset();
        // Files left undescribed (no helper to ask, or given up) stay out of the list and of the cache.
        if (!failure.empty()) {
            Failures.push_back(failure);
            changed = true;
        }
        std::vector<SpiCacheEntry> known;
        for (std::size_t i = 0; i < Entries.size(); ++i)
            if (!Pending[i]) known.push_back(Entries[i]);
        const std::string updated = FormatSpiCache(known);
        // Best effort: a folder that cannot be written only means the plug-ins are asked again at the next start.
        if (!CacheFile.empty() && updated != CacheText) ui::WriteWholeFile(CacheFile, updated);
    }
    if (changed) ListEntries();
    return changed;
}

void SpiLoadClass::FinishDescribing(std::optional<DWORD> since) {
    while (describer_) {
        const HANDLE progress = describer_->progress.get();
        const DWORD wait = since ? WaitWhileLoading(&progress, 1, INFINITE, *since)
                                 : ::WaitForSingleObject(progress, INFINITE);
        if (wait == kWaitGivenUp) throw SpiLoadGivenUp();
        if (wait == WAIT_FAILED) return;
        TakeDescribed();
    }
}

void SpiLoadClass::ListEntries() {
    UnloadPlugins();
    ST_SpiPlugin* last = nullptr;
    for (std::size_t i = 0; i < Entries.size(); ++i) {
        const SpiCacheEntry& entry = Entries[i];
        if (Pending[i] || entry.state != SpiPluginState::Usable) continue;
        auto plugin = std::make_unique<ST_SpiPlugin>();
        plugin->Pattern = entry.pattern;
        plugin->Description = entry.description;
        plugin->Path = entry.path;
        ST_SpiPlugin& added = *plugin;
        (last ? last->Next : First) = std::move(plugin);
        last = &added;
        ++Count;
        if (Files[i].inFolder) ++FolderCount;
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
    // The file may be for a plug-in still being described; its own time starts once the list is whole.
    FinishDescribing(::GetTickCount());
    const SpiHostProcess::PictureRequest request(Host);
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
