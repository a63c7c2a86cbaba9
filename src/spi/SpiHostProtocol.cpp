#include "spi/SpiHostProtocol.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace velmira::spihost {

namespace {

// Splits bytes into the zero-terminated texts they hold; none when the last one has no ending zero.
std::optional<std::vector<std::string>> SplitTexts(const char* bytes, std::size_t size) {
    std::vector<std::string> texts;
    for (std::size_t at = 0; at < size;) {
        const void* zero = std::memchr(bytes + at, '\0', size - at);
        if (!zero) return std::nullopt;
        const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(zero) - bytes);
        texts.emplace_back(bytes + at, end - at);
        at = end + 1;
    }
    return texts;
}

}  // namespace

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
    std::optional<std::vector<std::string>> texts = SplitTexts(bytes, size);
    if (!texts || texts->size() < 2) return std::nullopt;
    RequestText text;
    text.fileName = std::move((*texts)[0]);
    text.folder = std::move((*texts)[1]);
    text.plugins.assign(std::make_move_iterator(texts->begin() + 2), std::make_move_iterator(texts->end()));
    return text;
}

bool AppendDescription(const PluginDescription& description, char* reply, std::size_t room, std::size_t& used) {
    const bool usable = description.state == SpiPluginState::Usable;
    const std::string& pattern = usable ? description.pattern : std::string();
    const std::string& text = usable ? description.description : std::string();
    const std::size_t size = 1 + pattern.size() + 1 + text.size() + 1;
    if (used > room || size > room - used) return false;
    char* out = reply + used;
    *out++ = static_cast<char>(description.state);
    out = std::copy(pattern.begin(), pattern.end(), out);
    *out++ = '\0';
    out = std::copy(text.begin(), text.end(), out);
    *out = '\0';
    used += size;
    return true;
}

std::optional<std::vector<PluginDescription>> ReadDescriptions(const char* reply, std::size_t size,
                                                               std::size_t count) {
    std::optional<std::vector<std::string>> texts = SplitTexts(reply, size);
    if (!texts || texts->size() < 2 * count) return std::nullopt;
    std::vector<PluginDescription> descriptions;
    for (std::size_t i = 0; i < count; ++i) {
        std::string& first = (*texts)[2 * i];
        if (first.size() > 1 + kMaxInfoText || (*texts)[2 * i + 1].size() > kMaxInfoText) return std::nullopt;
        const char state = first.empty() ? '\0' : first[0];
        if (state != static_cast<char>(SpiPluginState::Usable) &&
            state != static_cast<char>(SpiPluginState::NotAPlugin) &&
            state != static_cast<char>(SpiPluginState::Crashed))
            return std::nullopt;
        PluginDescription d;
        d.state = static_cast<SpiPluginState>(state);
        d.pattern = first.substr(1);
        d.description = std::move((*texts)[2 * i + 1]);
        descriptions.push_back(std::move(d));
    }
    return descriptions;
}

void CopyShared(void* to, const volatile void* from, std::size_t size) noexcept {
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const volatile unsigned char*>(from);
    for (std::size_t i = 0; i < size; ++i) out[i] = in[i];
}

HelperFields ReadHelperFields(const volatile ControlBlock& block) noexcept {
    HelperFields fields;
    CopyShared(&fields, &block.helper, sizeof fields);
    return fields;
}

std::optional<std::size_t> FoundPlugin(const HelperFields& answer, std::size_t from, std::size_t listSize) {
    if (answer.answer != kFound || answer.found < 0) return std::nullopt;
    const auto found = static_cast<std::size_t>(answer.found);
    if (found < from || found >= listSize) return std::nullopt;
    return found;
}

std::optional<std::size_t> CallingPlugin(const HelperFields& answer, std::size_t listSize) {
    if (answer.calling < 0 || static_cast<std::size_t>(answer.calling) >= listSize) return std::nullopt;
    return static_cast<std::size_t>(answer.calling);
}

std::size_t DescribedCount(const HelperFields& answer, std::size_t asked) {
    return std::min<std::size_t>(answer.described, asked);
}

std::size_t ReplyBytes(const HelperFields& answer) {
    return std::min<std::size_t>(answer.replyBytes, kReplyBytes);
}

std::optional<PictureSizes> DecodedSizes(const HelperFields& answer, std::int32_t maxWidth, std::int32_t maxHeight) {
    if (answer.answer != kDecoded || answer.width < 1 || answer.height < 1 || maxWidth < 1 || maxHeight < 1)
        return std::nullopt;
    PictureSizes sizes;
    sizes.width = answer.width;
    sizes.height = answer.height;
    sizes.visibleWidth = std::min(answer.width, maxWidth);
    sizes.visibleHeight = std::min(answer.height, maxHeight);
    if (answer.visibleWidth != sizes.visibleWidth || answer.visibleHeight != sizes.visibleHeight) return std::nullopt;
    return sizes;
}

std::optional<std::uint32_t> SectionBytes(std::int32_t maxWidth, std::int32_t maxHeight, std::uint64_t limit) {
    if (maxWidth < 1 || maxHeight < 1) return std::nullopt;
    const std::uint64_t bytes = std::uint64_t(maxWidth) * std::uint64_t(maxHeight) * 4;
    if (bytes > limit || bytes > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(bytes);
}

}  // namespace velmira::spihost
