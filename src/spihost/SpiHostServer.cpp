#include "spihost/SpiHostServer.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>

#include "ui/UniqueHandle.h"

namespace velmira {

namespace {

// Marks the plug-in whose code runs, for the program to name should the helper die or hang meanwhile, and counts
// the call, so that the program's time limit starts again for it.
class ScopedCalling {
public:
    ScopedCalling(spihost::ControlBlock& control, std::size_t index) noexcept : control_(control) {
        control_.helper.calling = static_cast<std::int32_t>(index);
        ++control_.helper.calls;
    }
    ScopedCalling(const ScopedCalling&) = delete;
    ScopedCalling& operator=(const ScopedCalling&) = delete;
    ~ScopedCalling() { control_.helper.calling = spihost::kNoPlugin; }

private:
    spihost::ControlBlock& control_;
};

}  // namespace

SpiHostServer::~SpiHostServer() {
    // A DLL runs its own code while it is unloaded, too; a fault then ends only this helper, which is going.
    loaded_.clear();
}

bool SpiHostServer::Serve() {
    const std::uint32_t serial = control_.serial;
    if (control_.request == spihost::kQuit) return false;
    control_.helper.answer = control_.request == spihost::kDecode     ? spihost::kNotDecoded
                      : control_.request == spihost::kDescribe ? spihost::kDescribed
                                                               : spihost::kNotFound;
    control_.helper.described = 0;
    control_.helper.replyBytes = 0;
    const std::size_t textBytes = std::min<std::size_t>(control_.textBytes, sizeof control_.text);
    const auto text = spihost::UnpackRequestText(control_.text, textBytes);
    const std::size_t from = control_.plugin < 0 ? 0 : static_cast<std::size_t>(control_.plugin);
    if (text) {
        // The plug-ins open the file by the name the program has, relative names included.
        if (!text->folder.empty()) ::SetCurrentDirectoryA(text->folder.c_str());
        paths_ = text->plugins;
        switch (control_.request) {
        case spihost::kDescribe: Describe(from); break;
        case spihost::kFind: Find(from, text->fileName, false); break;
        case spihost::kFindByHandle: Find(from, text->fileName, true); break;
        case spihost::kDecode: Decode(from, text->fileName); break;
        default: break;
        }
    }
    // The program's section for the picture is closed here whatever happened to the request.
    if (control_.request == spihost::kDecode && control_.pixels != 0)
        ::CloseHandle(ULongToHandle(control_.pixels));
    control_.helper.answerSerial = serial;
    return true;
}

const SpiPluginModule* SpiHostServer::Plugin(std::size_t index) {
    if (index >= paths_.size()) return nullptr;
    const std::string& path = paths_[index];
    auto found = loaded_.find(path);
    if (found == loaded_.end()) {
        const ScopedCalling calling(control_, index);  // the DLL's start-up code runs as it loads
        bool startUpFailed = false;
        found = loaded_.emplace(path, LoadSpiPlugin(path, &startUpFailed)).first;
        if (startUpFailed) startUpFailed_.insert(path);
    }
    return found->second.get();
}

void SpiHostServer::Describe(std::size_t from) {
    std::size_t used = 0;
    for (std::size_t i = from; i < paths_.size(); ++i) {
        spihost::PluginDescription description;
        const SpiPluginModule* plugin = Plugin(i);
        if (startUpFailed_.count(paths_[i])) description.state = SpiPluginState::Crashed;
        if (plugin) {
            description.state = SpiPluginState::Usable;
            const ScopedCalling calling(control_, i);
            ReadSpiPluginInfo(*plugin, description.pattern, description.description,
                              [this] { ++control_.helper.calls; });
        }
        if (!spihost::AppendDescription(description, control_.reply, sizeof control_.reply, used)) break;
        control_.helper.replyBytes = static_cast<std::uint32_t>(used);
        ++control_.helper.described;
    }
}

void SpiHostServer::Find(std::size_t from, const std::string& fileName, bool byHandle) {
    SpiFileHead head;
    if (!ReadSpiFileHead(fileName, head)) return;
    for (std::size_t i = from; i < paths_.size(); ++i) {
        const SpiPluginModule* plugin = Plugin(i);
        if (!plugin) continue;
        const ScopedCalling calling(control_, i);
        if (byHandle ? AcceptsSpiFileHandle(*plugin, fileName) : AcceptsSpiFile(*plugin, fileName, head)) {
            control_.helper.found = static_cast<std::int32_t>(i);
            control_.helper.answer = spihost::kFound;
            return;
        }
    }
}

void SpiHostServer::Decode(std::size_t index, const std::string& fileName) {
    const SpiPluginModule* plugin = Plugin(index);
    const std::int32_t maxWidth = control_.maxWidth, maxHeight = control_.maxHeight;
    // The program's section holds exactly this much; sizes that do not fit 32 bits name no section of it.
    const std::optional<std::uint32_t> bytes = spihost::SectionBytes(maxWidth, maxHeight, 0xFFFFFFFFu);
    if (!plugin || !bytes) return;
    const ui::UniqueMappedView view(::MapViewOfFile(ULongToHandle(control_.pixels), FILE_MAP_WRITE, 0, 0, *bytes));
    if (!view) return;
    SpiRegion region;
    bool decoded = false;
    {
        const ScopedCalling calling(control_, index);
        decoded = DecodeSpiRegion(*plugin, fileName, maxWidth, maxHeight, static_cast<std::uint32_t*>(view.get()),
                                  region);
    }
    if (!decoded) return;
    control_.helper.width = region.width;
    control_.helper.height = region.height;
    control_.helper.visibleWidth = region.visibleWidth;
    control_.helper.visibleHeight = region.visibleHeight;
    control_.helper.answer = spihost::kDecoded;
}

}  // namespace velmira
