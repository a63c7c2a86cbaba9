#include "ui/ErrorText.h"

namespace ui {

std::string WithFullStop(std::string_view message, velmira::LeadBytePredicate isLead) {
    std::string result(message);
    std::size_t last = std::string_view::npos;
    for (std::size_t pos = 0; pos < message.size(); pos = velmira::NextCharOffset(message, pos, isLead)) last = pos;
    if (last != std::string_view::npos && static_cast<unsigned char>(message[last]) > static_cast<unsigned char>('.'))
        result += '.';
    return result;
}

}  // namespace ui
