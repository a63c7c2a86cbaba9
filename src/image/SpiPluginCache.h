#pragma once
// What the plug-in helper found out about each plug-in file, kept in a small file beside the settings so that a
// start with an unchanged plug-in folder loads no plug-in and starts no process. An entry stands for a file only
// while its full path, size and time of last change are the same.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "spi/SpiHostProtocol.h"

namespace velmira {

struct SpiCacheEntry {
    std::string path;
    std::uint64_t size = 0;
    std::uint64_t time = 0;
    SpiPluginState state = SpiPluginState::NotAPlugin;
    std::string pattern;
    std::string description;
};

// The file's text: a first line naming the format, then one line per entry. Entries whose texts hold a tab or a
// line break are left out (their files are asked again next time).
std::string FormatSpiCache(const std::vector<SpiCacheEntry>& entries);
// The entries of the text; none at all when its first line is not the format's, and none of the lines that are
// not entries.
std::vector<SpiCacheEntry> ParseSpiCache(std::string_view text);

}  // namespace velmira
