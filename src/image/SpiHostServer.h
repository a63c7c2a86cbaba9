#pragma once
// The helper process's side of the plug-in host: answers the program's requests from the shared block with
// the plug-ins of the list it was given, loaded by their full paths and kept while the list stays the same.
#include <memory>
#include <string>
#include <vector>

#include "image/SpiHostProtocol.h"
#include "image/SpiPluginCalls.h"

namespace velmira {

class SpiHostServer {
public:
    explicit SpiHostServer(spihost::ControlBlock& control) : control_(control) {}
    SpiHostServer(const SpiHostServer&) = delete;
    SpiHostServer& operator=(const SpiHostServer&) = delete;
    ~SpiHostServer() { UsePlugins({}); }

    // Answers the request in the block; false when it asks the helper to end.
    bool Serve();

private:
    // Unloads the plug-ins when the list is another than the one they came from.
    void UsePlugins(const std::vector<std::string>& paths);
    // Plug-in `index` of the list, loaded on its first use; none when it does not load.
    const ST_SpiPlugin* Plugin(int index);
    void Find(const std::string& fileName);
    void Decode(int index, const std::string& fileName);

    spihost::ControlBlock& control_;
    std::vector<std::string> paths_;
    std::vector<std::unique_ptr<ST_SpiPlugin>> plugins_;
    std::vector<bool> tried_;
};

}  // namespace velmira
