#pragma once
// The image plug-in host: loads the ".SPI" DLLs of one folder, asks each for the pattern and description
// it handles, and decodes a file through the first plug-in that accepts it into a bitmap of the screen's format.
// The plug-ins' information is read here, as the program starts; asking them about a file and having them
// decode it happens in the helper process (SpiHostProcess), started when a picture first needs a plug-in.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "image/SpiHostProcess.h"
#include "image/SpiInterface.h"
#include "image/SpiPluginCalls.h"
#include "image/SpiPluginInfo.h"
#include "ui/UniqueHandle.h"

namespace velmira {

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
    // True when a plug-in accepts FileName; that plug-in becomes Current. Throws SpiHostFailure, naming the
    // plug-in, when the helper process crashed or stopped answering meanwhile.
    bool FindPlugin();
    // True when Picture now holds the decoded file. Throws SpiHostFailure as FindPlugin does.
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
    // Whether the helper process runs: not before a picture first needs a plug-in.
    bool IsHostRunning() const noexcept { return Host.Running(); }
    DWORD GetHostProcessId() const noexcept { return Host.ProcessId(); }

private:
    void UnloadPlugins() noexcept;
    bool DecodeWith(const ST_SpiPlugin& plugin);
    std::vector<std::string> PluginPaths() const;

    std::string Folder;
    std::string FileName;
    std::unique_ptr<ST_SpiPlugin> First;
    ST_SpiPlugin* Current = nullptr;
    int Count = 0;
    ui::UniqueBitmap Picture;
    int PictureWidth = 0;
    int PictureHeight = 0;
    SpiHostProcess Host;
};

}  // namespace velmira
