#include "spihost/SpiPluginInfo.h"

#include <cstring>
#include <string_view>

namespace velmira {

std::string PluginInfoText(const char* buffer, std::size_t size, LeadBytePredicate isLead) {
    const void* zero = std::memchr(buffer, '\0', size);
    const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - buffer) : size;
    const std::string_view text(buffer, length);
    std::size_t end = 0;
    while (end < text.size()) {
        if (end + 1 == text.size() && isLead(static_cast<unsigned char>(text[end]))) break;
        end = NextCharOffset(text, end, isLead);
    }
    return std::string(text.substr(0, end));
}

}  // namespace velmira
