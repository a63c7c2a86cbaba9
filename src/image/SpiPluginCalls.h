#pragma once
// One loaded image plug-in and the calls into it: loading the DLL by its full path, asking whether it takes a
// file, and having it decode one. The plug-in host runs these in its helper process; nothing here guards against
// a plug-in that faults or never returns, which is why they run there.
#include <windows.h>

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "image/SpiInterface.h"
#include "ui/UniqueHandle.h"

namespace velmira {

// One loaded plug-in; the list of them is singly linked in load order and owns its records.
struct ST_SpiPlugin {
    std::string Pattern;
    std::string Description;
    ui::UniqueModule Module;
    std::unique_ptr<ST_SpiPlugin> Next;
    spi::GetPluginInfoFn GetPluginInfo = nullptr;
    spi::IsSupportedFn IsSupported = nullptr;
    spi::GetPictureInfoFn GetPictureInfo = nullptr;
    spi::GetPictureFn GetPicture = nullptr;
    spi::GetPreviewFn GetPreview = nullptr;
    spi::GetArchiveInfoFn GetArchiveInfo = nullptr;
    spi::GetFileFn GetFile = nullptr;
    std::string Path;  // the DLL's full path, as it was loaded
};

// A record for the DLL at the path (resolved against the current folder when relative), or none when it does
// not load or lacks GetPluginInfo, IsSupported or GetPicture.
std::unique_ptr<ST_SpiPlugin> LoadSpiPlugin(const std::string& path);

// The file's first bytes, as IsSupported gets them in its buffer form.
constexpr std::size_t kSpiHeadSize = 2048;
using SpiFileHead = std::array<char, kSpiHeadSize>;

// Reads the file's first 2 KB into `head`, zero-filled past the end of a shorter file; false when the file
// cannot be opened or read.
bool ReadSpiFileHead(const std::string& fileName, SpiFileHead& head);

// Asks the plug-in whether it takes the file, with the buffer form of IsSupported (an address above 0xFFFF):
// the form plug-ins are written against. Each gets a copy of its own, so that one that writes into the
// buffer cannot change what the next one sees.
bool AcceptsSpiFile(const ST_SpiPlugin& plugin, const std::string& fileName, const SpiFileHead& head);

// Where a decoded picture goes: given the bytes of its bitmap info and of its pixels, the room for both, the
// info first and the pixels right after it; null to give up.
using SpiPictureRoom = std::function<unsigned char*(std::size_t infoBytes, std::size_t pixelBytes)>;

// Has the plug-in decode the file and writes the picture, checked and in its plain form (see
// CanonicalSpiInfo), into the room; false when the plug-in fails, lacks GetPictureInfo, or hands back blocks that
// fail the check. `width` and `height` are the record's.
bool DecodeSpiPicture(const ST_SpiPlugin& plugin, const std::string& fileName, const SpiPictureRoom& room,
                      int& width, int& height);

}  // namespace velmira
