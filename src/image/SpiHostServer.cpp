#include "image/SpiHostServer.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "ui/UniqueHandle.h"

namespace velmira {

namespace {

// Marks the plug-in whose code runs, for the program to name should the helper die or hang meanwhile.
class ScopedCalling {
public:
    ScopedCalling(spihost::ControlBlock& control, std::size_t index) noexcept : control_(control) {
        control_.calling = static_cast<std::int32_t>(index);
    }
    ScopedCalling(const ScopedCalling&) = delete;
    ScopedCalling& operator=(const ScopedCalling&) = delete;
    ~ScopedCalling() { control_.calling = spihost::kNoPlugin; }

private:
    spihost::ControlBlock& control_;
};

}  // namespace

bool SpiHostServer::Serve() {
    const std::uint32_t serial = control_.serial;
    if (control_.request == spihost::kQuit) return false;
    control_.answer = control_.request == spihost::kFind ? spihost::kNotFound : spihost::kNotDecoded;
    const std::size_t textBytes = std::min<std::size_t>(control_.textBytes, sizeof control_.text);
    const auto text = spihost::UnpackRequestText(control_.text, textBytes);
    if (text) {
        // The plug-ins open the file by the name the program has, relative names included.
        if (!text->folder.empty()) ::SetCurrentDirectoryA(text->folder.c_str());
        UsePlugins(text->plugins);
        if (control_.request == spihost::kFind) Find(text->fileName);
        if (control_.request == spihost::kDecode) Decode(control_.plugin, text->fileName);
    }
    control_.answerSerial = serial;
    return true;
}

void SpiHostServer::UsePlugins(const std::vector<std::string>& paths) {
    if (paths == paths_ && !paths.empty()) return;
    // A DLL runs its own code while it is unloaded, too.
    for (std::size_t i = 0; i < plugins_.size(); ++i) {
        const ScopedCalling calling(control_, i);
        plugins_[i].reset();
    }
    paths_ = paths;
    plugins_.clear();
    plugins_.resize(paths_.size());
    tried_.assign(paths_.size(), false);
}

const ST_SpiPlugin* SpiHostServer::Plugin(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= paths_.size()) return nullptr;
    const auto i = static_cast<std::size_t>(index);
    if (!tried_[i]) {
        tried_[i] = true;
        const ScopedCalling calling(control_, i);  // the DLL's start-up code runs as it loads
        plugins_[i] = LoadSpiPlugin(paths_[i]);
    }
    return plugins_[i].get();
}

void SpiHostServer::Find(const std::string& fileName) {
    SpiFileHead head;
    if (!ReadSpiFileHead(fileName, head)) return;
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        const ST_SpiPlugin* plugin = Plugin(static_cast<int>(i));
        if (!plugin) continue;
        const ScopedCalling calling(control_, i);
        if (AcceptsSpiFile(*plugin, fileName, head)) {
            control_.found = static_cast<std::int32_t>(i);
            control_.answer = spihost::kFound;
            return;
        }
    }
}

void SpiHostServer::Decode(int index, const std::string& fileName) {
    const ST_SpiPlugin* plugin = Plugin(index);
    if (!plugin) return;
    ui::UniqueKernelHandle section;
    ui::UniqueMappedView view;
    std::size_t infoBytes = 0, pixelBytes = 0;
    // The room for the picture is a section of its size, which the program takes over.
    const SpiPictureRoom room = [&](std::size_t info, std::size_t pixels) -> unsigned char* {
        if (pixels > UINT32_MAX - info) return nullptr;
        const auto total = static_cast<DWORD>(info + pixels);
        section.reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, total, nullptr));
        if (section) view.reset(::MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, total));
        infoBytes = info;
        pixelBytes = pixels;
        return static_cast<unsigned char*>(view.get());
    };
    int width = 0, height = 0;
    bool decoded = false;
    {
        const ScopedCalling calling(control_, static_cast<std::size_t>(index));
        decoded = DecodeSpiPicture(*plugin, fileName, room, width, height);
    }
    if (!decoded) return;
    view.reset();
    control_.width = width;
    control_.height = height;
    control_.infoBytes = static_cast<std::uint32_t>(infoBytes);
    control_.pixelBytes = static_cast<std::uint32_t>(pixelBytes);
    // From here the program owns the section: it takes the handle over and closes it here as it does so.
    control_.section = HandleToULong(section.release());
    control_.answer = spihost::kDecoded;
}

}  // namespace velmira
