#include "image/SpiLoadClass.h"

#include <algorithm>

#include "text/SystemText.h"

namespace velmira {

namespace {

constexpr int kInfoBufferSize = 260;
// A plug-in that answers every index would keep the pair loop going for ever; no real one has this many formats.
constexpr int kMaxInfoPairs = 256;

// Calls GetPluginInfo on a zeroed buffer and returns the text it left, or false when it answered 0.
bool AskInfo(const ST_SpiPlugin& plugin, int index, std::string& text) {
    char buffer[kInfoBufferSize] = {};
    if (plugin.GetPluginInfo(index, buffer, kInfoBufferSize) == 0) return false;
    text = PluginInfoText(buffer, sizeof buffer, velmira::IsLeadByte);
    return true;
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
    // The helper lets the old plug-ins go with it, so that their files are free; the next picture starts another.
    Host.Stop();
    UnloadPlugins();
    Folder = folder;
    // With a folder ending in "\" the separator is doubled; the file system takes that as one.
    WIN32_FIND_DATAA found;
    const ui::UniqueFind search(::FindFirstFileA((Folder + "\\*.SPI").c_str(), &found));
    if (!search) return;
    ST_SpiPlugin* last = nullptr;
    do {
        std::unique_ptr<ST_SpiPlugin> plugin = LoadSpiPlugin(Folder + "\\" + found.cFileName);
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

std::vector<std::string> SpiLoadClass::PluginPaths() const {
    std::vector<std::string> paths;
    for (const ST_SpiPlugin* p = First.get(); p; p = p->Next.get()) paths.push_back(p->Path);
    return paths;
}

bool SpiLoadClass::FindPlugin() {
    const int index = Host.Find(PluginPaths(), FileName);
    if (index < 0) return false;
    ST_SpiPlugin* p = First.get();
    for (int i = 0; i < index && p; ++i) p = p->Next.get();
    if (!p) return false;
    Current = p;
    return true;
}

bool SpiLoadClass::LoadPicture(const std::string& fileName) {
    FileName = fileName;
    if (!FindPlugin()) return false;
    Picture.reset();
    PictureWidth = PictureHeight = 0;
    return DecodeWith(*Current);
}

bool SpiLoadClass::DecodeWith(const ST_SpiPlugin& plugin) {
    // A plug-in without GetPictureInfo gives no size to decode into; the helper is not even asked.
    if (!plugin.GetPictureInfo) return false;
    int index = 0;
    for (const ST_SpiPlugin* p = First.get(); p != &plugin; p = p->Next.get()) ++index;
    int width = 0, height = 0;
    ui::UniqueBitmap bitmap = Host.Decode(PluginPaths(), index, FileName, width, height);
    if (!bitmap) return false;
    Picture = std::move(bitmap);
    PictureWidth = width;
    PictureHeight = height;
    return true;
}

}  // namespace velmira
