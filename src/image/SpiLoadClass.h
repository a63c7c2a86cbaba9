#pragma once
// The image plug-in host: the ".SPI" files of one folder and the bundled plug-in, the pattern and description
// each reads, and a file decoded through the first plug-in that accepts it. No plug-in code runs in this
// process: the helper process (SpiHostProcess) loads the plug-ins, asks them and has them decode. What it found
// about each file is kept beside the settings (SpiPluginCache), so that a start with an unchanged folder starts
// no helper; a new or changed file is described by a helper of its own on a thread of its own, so that the window
// never waits for it, and joins the list when its description ends. The picture helper is started when a picture
// first needs a plug-in.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "picture/DecodedPicture.h"
#include "image/SpiHostProcess.h"
#include "image/SpiFilter.h"
#include "image/SpiPluginCache.h"

namespace velmira {

// One usable plug-in, as the helper described it; the list is singly linked in search order and owns its records.
struct ST_SpiPlugin {
    std::string Pattern;
    std::string Description;
    std::string Path;  // the DLL's full path
    std::unique_ptr<ST_SpiPlugin> Next;
};

class SpiLoadClass {
public:
    // `host` names the helper program and its time limit (SpiHostOptions).
    explicit SpiLoadClass(SpiHostOptions host = {});
    SpiLoadClass(const SpiLoadClass&) = delete;
    SpiLoadClass& operator=(const SpiLoadClass&) = delete;
    ~SpiLoadClass();

    // Replaces the list with every plug-in of the folder ("%s\*.SPI", not its sub-folders), in search order,
    // followed by the bundled plug-in unless the folder is the bundled plug-in's own. The files the cache knows
    // are listed at once; the others are described away from the window (Describing, TakeDescribed). A file
    // that crashes or hangs the helper while it loads or describes itself is left out and named in GetFailures;
    // it is not asked again while it stays the same. Throws SpiHostBusy while a request waits.
    void BeginLoadPlugins(const std::string& folder);
    // Whether files of the folder still wait for their description.
    bool Describing() const noexcept { return static_cast<bool>(describer_); }
    // Takes into the list what has been described since the last call (and, once all is, writes the cache);
    // true when the list or the failures changed. Not while a picture request waits.
    bool TakeDescribed();
    // Waits until every file is described and takes the descriptions. `since`, the start of a picture load that
    // needs them, makes it wait as the load does (SpiLoadGivenUp when the user gives it up); without it, it
    // waits away from the window.
    void FinishDescribing(std::optional<DWORD> since = std::nullopt);
    // BeginLoadPlugins and FinishDescribing: the whole list at once.
    void LoadPlugins(const std::string& folder) {
        BeginLoadPlugins(folder);
        FinishDescribing();
    }
    // Copies the pairs of the first n plug-ins into the first n entries of the array (fewer at the list's end).
    void GetSpiInfo(int n, std::vector<ST_SpiInfo>& array) const;
    // True when a plug-in accepts FileName; that plug-in becomes Current.
    bool FindPlugin();
    // True when Picture then holds the file's size and its top-left min(width, maxWidth) x min(height, maxHeight)
    // pixels; waits for the descriptions still under way first. Throws SpiHostFailure, naming the plug-in, when the
    // helper crashed or stopped answering while it decoded, SpiLoadGivenUp when the user gave the load up, and
    // SpiHostBusy while another request waits.
    bool LoadPicture(const std::string& fileName, int maxWidth, int maxHeight);

    const std::string& GetFolder() const noexcept { return Folder; }
    const std::string& GetFileName() const noexcept { return FileName; }
    const ST_SpiPlugin* GetFirst() const noexcept { return First.get(); }
    const ST_SpiPlugin* GetCurrent() const noexcept { return Current; }
    int GetCount() const noexcept { return Count; }
    // How many plug-ins of the list came from the folder itself, the bundled one not counted when it was added.
    int GetFolderCount() const noexcept { return FolderCount; }
    // What the last LoadPlugins could not use, in the words the program shows: each plug-in file that crashed or
    // hung the helper, or the helper that could not be started.
    const std::vector<std::string>& GetFailures() const noexcept { return Failures; }
    // The last decoded picture; empty after a failed decode.
    const DecodedPicture& GetPicture() const noexcept { return Picture; }
    // Whether the helper process runs: not before a plug-in file or a picture first needs it.
    bool IsHostRunning() const noexcept { return Host.Running(); }
    DWORD GetHostProcessId() const noexcept { return Host.ProcessId(); }

    // Where what the helper found is kept, as the program names its file; empty (the default) for nowhere.
    void SetCacheFile(std::string path) { CacheFile = std::move(path); }

private:
    struct PluginFile;
    struct Describer;
    std::vector<PluginFile> PluginFiles() const;
    // The entries for the files from the cache; the indexes of those it does not know are in `unknown`.
    std::vector<SpiCacheEntry> CachedEntries(const std::vector<PluginFile>& files, std::vector<std::size_t>& unknown);
    // Makes the list again from the entries described so far.
    void ListEntries();
    void StopDescribing() noexcept;
    void UnloadPlugins() noexcept;
    std::vector<std::string> PluginPaths() const;

    std::string Folder;
    std::string FileName;
    std::unique_ptr<ST_SpiPlugin> First;
    ST_SpiPlugin* Current = nullptr;
    int Count = 0;
    int FolderCount = 0;
    std::vector<std::string> Failures;
    // Every file of the folder in search order, the bundled plug-in last; `Pending` marks those still described.
    std::vector<PluginFile> Files;
    std::vector<SpiCacheEntry> Entries;
    std::vector<bool> Pending;
    std::string CacheText;  // the cache file as it was read
    std::unique_ptr<Describer> describer_;
    DecodedPicture Picture;
    std::string CacheFile;
    // The bundled plug-in, listed after the folder's: part of the program rather than one of the user's plug-ins.
    std::string Bundled;
    SpiHostOptions HostOptions;  // for the describing helpers too
    SpiHostProcess Host;
};

}  // namespace velmira
