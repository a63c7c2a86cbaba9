#include "image/SpiHostProtocol.h"

#include <cstring>
#include <iterator>
#include <utility>

namespace velmira::spihost {

std::optional<std::string> PackRequestText(const RequestText& text) {
    std::string packed;
    auto add = [&packed](const std::string& s) {
        if (s.find('\0') != std::string::npos) return false;
        packed += s;
        packed += '\0';
        return true;
    };
    if (!add(text.fileName) || !add(text.folder)) return std::nullopt;
    for (const std::string& plugin : text.plugins)
        if (!add(plugin)) return std::nullopt;
    if (packed.size() > sizeof ControlBlock::text) return std::nullopt;
    return packed;
}

std::optional<RequestText> UnpackRequestText(const char* bytes, std::size_t size) {
    std::vector<std::string> texts;
    for (std::size_t at = 0; at < size;) {
        const void* zero = std::memchr(bytes + at, '\0', size - at);
        if (!zero) return std::nullopt;
        const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(zero) - bytes);
        texts.emplace_back(bytes + at, end - at);
        at = end + 1;
    }
    if (texts.size() < 2) return std::nullopt;
    RequestText text;
    text.fileName = std::move(texts[0]);
    text.folder = std::move(texts[1]);
    text.plugins.assign(std::make_move_iterator(texts.begin() + 2), std::make_move_iterator(texts.end()));
    return text;
}

}  // namespace velmira::spihost
