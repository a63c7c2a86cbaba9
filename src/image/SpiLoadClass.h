#pragma once
// The image plug-in host: loads the ".SPI" DLLs of one folder, asks each for the pattern and description
// it handles, and decodes a file through the first plug-in that accepts it into a bitmap of the screen's format.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "image/SpiInterface.h"
#include "image/SpiPluginInfo.h"
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
};

class SpiLoadClass {
public:
    SpiLoadClass() = default;
    SpiLoadClass(const SpiLoadClass&) = delete;
    SpiLoadClass& operator=(const SpiLoadClass&) = delete;
    ~SpiLoadClass();

    // Replaces the list with every plug-in of the folder ("%s\*.SPI", not its sub-folders), in search order.
    void LoadPlugins(const std::string& folder);
    // Fills Pattern and Description of one record from the plug-in's information indexes 2n + 2 and 2n + 3.
    void ReadPluginInfo(ST_SpiPlugin& plugin);
    // Copies the pairs of the first n plug-ins into the first n entries of the array (fewer at the list's end).
    void GetSpiInfo(int n, std::vector<ST_SpiInfo>& array) const;
    // True when a plug-in accepts FileName; that plug-in becomes Current.
    bool FindPlugin();
    // True when Picture now holds the decoded file.
    bool LoadPicture(const std::string& fileName);

    const std::string& GetFolder() const noexcept { return Folder; }
    const std::string& GetFileName() const noexcept { return FileName; }
    const ST_SpiPlugin* GetFirst() const noexcept { return First.get(); }
    const ST_SpiPlugin* GetCurrent() const noexcept { return Current; }
    int GetCount() const noexcept { return Count; }
    // The last decoded picture (none after a failed decode); the host keeps ownership.
    HBITMAP GetPicture() const noexcept { return Picture.get(); }
    int GetPictureWidth() const noexcept { return PictureWidth; }
    int GetPictureHeight() const noexcept { return PictureHeight; }

private:
    void UnloadPlugins() noexcept;
    bool DecodeWith(const ST_SpiPlugin& plugin);

    std::string Folder;
    std::string FileName;
    std::unique_ptr<ST_SpiPlugin> First;
    ST_SpiPlugin* Current = nullptr;
    int Count = 0;
    ui::UniqueBitmap Picture;
    int PictureWidth = 0;
    int PictureHeight = 0;
};

}  // namespace velmira
