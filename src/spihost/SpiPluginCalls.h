#pragma once
// One loaded image plug-in and the calls into it: loading the DLL by its full path, asking it what it reads,
// asking whether it takes a file, and having it decode one. Only the helper process makes these calls; nothing
// here guards against a plug-in that faults or never returns, which is why they run there.
#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "spi/SpiInterface.h"
#include "ui/UniqueHandle.h"

namespace velmira {

// One plug-in DLL, loaded.
struct SpiPluginModule {
    ui::UniqueModule Module;
    spi::GetPluginInfoFn GetPluginInfo = nullptr;
    spi::IsSupportedFn IsSupported = nullptr;
    spi::GetPictureInfoFn GetPictureInfo = nullptr;
    spi::GetPictureFn GetPicture = nullptr;
    spi::GetPreviewFn GetPreview = nullptr;
    spi::GetArchiveInfoFn GetArchiveInfo = nullptr;
    spi::GetFileFn GetFile = nullptr;
    spi::VelmiraGetPictureRegionFn VelmiraGetPictureRegion = nullptr;  // ours alone has it
    std::string Path;  // the DLL's full path, as it was loaded
};

// A record for the DLL at the path (resolved against the current folder when relative), or none when it does
// not load or lacks GetPluginInfo, IsSupported or GetPicture. `startUpFailed`, when given, tells a DLL whose own
// start-up code failed: where the system catches a fault there, this is all that shows of it.
std::unique_ptr<SpiPluginModule> LoadSpiPlugin(const std::string& path, bool* startUpFailed = nullptr);

// The pattern and description of the plug-in's information indexes 2n + 2 and 2n + 3: the last pair answered,
// each left as it was when its index answers nothing. `beforeCall` runs before each call into the plug-in.
void ReadSpiPluginInfo(const SpiPluginModule& plugin, std::string& pattern, std::string& description,
                       const std::function<void()>& beforeCall);

// The file's first bytes, as IsSupported gets them in its buffer form.
constexpr std::size_t kSpiHeadSize = 2048;
using SpiFileHead = std::array<char, kSpiHeadSize>;

// Reads the file's first 2 KB into `head`, zero-filled past the end of a shorter file; false when the file
// cannot be opened or read.
bool ReadSpiFileHead(const std::string& fileName, SpiFileHead& head);

// Asks the plug-in whether it takes the file, with the buffer form of IsSupported (an address above 0xFFFF):
// the form plug-ins are written against. Each gets a copy of its own, so that one that writes into the
// buffer cannot change what the next one sees.
bool AcceptsSpiFile(const SpiPluginModule& plugin, const std::string& fileName, const SpiFileHead& head);

// Asks with the other form: a handle of the file opened for reading, at its start, as older plug-ins read it.
// A file that cannot be opened is offered to none (no plug-in may be handed an invalid handle).
bool AcceptsSpiFileHandle(const SpiPluginModule& plugin, const std::string& fileName);

// A decoded picture's size and the size of its top-left part that was converted.
struct SpiRegion {
    int width = 0;
    int height = 0;
    int visibleWidth = 0;
    int visibleHeight = 0;
};

// Has the plug-in decode the file and writes its top-left min(width, maxWidth) x min(height, maxHeight) pixels
// into `pixels` (room for maxWidth x maxHeight), top row first, visibleWidth to a row, as 0x00RRGGBB. A plug-in
// with the region export is asked for that part alone; any other decodes the whole picture, and what it hands
// back is checked before the part shown is read from it in place. False when the plug-in fails, lacks
// GetPictureInfo, or hands back what fails the check.
bool DecodeSpiRegion(const SpiPluginModule& plugin, const std::string& fileName, int maxWidth, int maxHeight,
                     std::uint32_t* pixels, SpiRegion& region);

}  // namespace velmira
