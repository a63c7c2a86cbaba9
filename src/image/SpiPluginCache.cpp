#include "image/SpiPluginCache.h"

#include <charconv>

namespace velmira {

namespace {

constexpr std::string_view kFirstLine = "Velmira plug-in cache 1";

bool FitsOneField(std::string_view text) { return text.find_first_of("\t\r\n") == std::string_view::npos; }

bool IsState(char c) {
    return c == static_cast<char>(SpiPluginState::Usable) || c == static_cast<char>(SpiPluginState::NotAPlugin) ||
           c == static_cast<char>(SpiPluginState::Crashed) || c == static_cast<char>(SpiPluginState::Hung);
}

bool ReadNumber(std::string_view text, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// The line's tab-separated fields; exactly `count` of them or none.
std::vector<std::string_view> Fields(std::string_view line, std::size_t count) {
    std::vector<std::string_view> fields;
    for (std::size_t at = 0;;) {
        const std::size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at));
        if (tab == std::string_view::npos) break;
        at = tab + 1;
    }
    return fields.size() == count ? fields : std::vector<std::string_view>{};
}

}  // namespace

std::string FormatSpiCache(const std::vector<SpiCacheEntry>& entries) {
    std::string text(kFirstLine);
    text += "\r\n";
    for (const SpiCacheEntry& e : entries) {
        if (!FitsOneField(e.path) || !FitsOneField(e.pattern) || !FitsOneField(e.description)) continue;
        text += static_cast<char>(e.state);
        text += '\t' + std::to_string(e.size) + '\t' + std::to_string(e.time) + '\t' + e.path + '\t' + e.pattern +
                '\t' + e.description + "\r\n";
    }
    return text;
}

std::vector<SpiCacheEntry> ParseSpiCache(std::string_view text) {
    std::vector<SpiCacheEntry> entries;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {
            if (line != kFirstLine) return {};
            first = false;
            continue;
        }
        const std::vector<std::string_view> fields = Fields(line, 6);
        SpiCacheEntry e;
        if (fields.empty() || fields[0].size() != 1 || !IsState(fields[0][0]) || !ReadNumber(fields[1], e.size) ||
            !ReadNumber(fields[2], e.time) || fields[3].empty())
            continue;
        e.state = static_cast<SpiPluginState>(fields[0][0]);
        e.path = std::string(fields[3]);
        e.pattern = std::string(fields[4]);
        e.description = std::string(fields[5]);
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace velmira
