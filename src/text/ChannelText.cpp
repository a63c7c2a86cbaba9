#include "text/ChannelText.h"

#include <cstdio>

#include "text/IntegerReading.h"

namespace velmira {

std::int32_t ChannelValue(std::string_view channelString) noexcept {
    std::string text = "0x";
    text.append(channelString);
    return ReadIntegerOr(text, 0) & 0xFF;
}

std::string HexAtLeastTwoDigits(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned>(value));
    return buffer;
}

}  // namespace velmira
