#pragma once
// The helper process's side of the plug-in host: answers the program's requests from the shared block with the
// plug-ins of the list each request names, every one loaded by its full path on its first use and kept until the
// helper ends.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "spi/SpiHostProtocol.h"
#include "spihost/SpiPluginCalls.h"

namespace velmira {

class SpiHostServer {
public:
    explicit SpiHostServer(spihost::ControlBlock& control) : control_(control) {}
    SpiHostServer(const SpiHostServer&) = delete;
    SpiHostServer& operator=(const SpiHostServer&) = delete;
    ~SpiHostServer();

    // Answers the request in the block; false when it asks the helper to end.
    bool Serve();

private:
    // Plug-in `index` of the request's list, loaded on its first use; none when it is no usable plug-in.
    const SpiPluginModule* Plugin(std::size_t index);
    void Describe(std::size_t from);
    void Find(std::size_t from, const std::string& fileName, bool byHandle);
    void Decode(std::size_t index, const std::string& fileName);

    spihost::ControlBlock& control_;
    std::vector<std::string> paths_;
    std::map<std::string, std::unique_ptr<SpiPluginModule>> loaded_;  // by path; none for a file that failed
    std::set<std::string> startUpFailed_;  // DLLs whose start-up code failed, a fault the system caught included
};

}  // namespace velmira
