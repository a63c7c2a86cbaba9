#include "ui/DialogFilter.h"

namespace ui {

std::string FilterToDialogForm(std::string_view filter, velmira::LeadBytePredicate isLead) {
    std::string result;
    result.reserve(filter.size() + 2);
    for (std::size_t pos = 0; pos < filter.size();) {
        const std::size_t next = velmira::NextCharOffset(filter, pos, isLead);
        if (next == pos + 1 && filter[pos] == '|') {
            result += '\0';
        } else {
            result.append(filter.substr(pos, next - pos));
        }
        pos = next;
    }
    result += '\0';
    result += '\0';
    return result;
}

}  // namespace ui
