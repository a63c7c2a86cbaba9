#include "image/SpiFilter.h"

namespace velmira {

std::string BuildOpenFilter(const std::vector<ST_SpiInfo>& plugins) {
    const std::string tail = "すべてのﾌｧｲﾙ(*.*)|*.*";
    std::string head = "ｲﾒｰｼﾞﾌｧｲﾙ|";
    std::string filter = "jpegﾌｧｲﾙ(*.jpg;jpeg)|*jpg;jpeg|";
    for (const ST_SpiInfo& plugin : plugins) {
        filter += plugin.Description + "|" + plugin.Pattern + "|";
        head += ";" + plugin.Pattern;
    }
    head += ";*.bmp";
    return head + "|" + filter + "BMPﾌｧｲﾙ(*.bmp)|*.bmp|" + tail;
}

std::string FilterToDialogForm(std::string_view filter, LeadBytePredicate isLead) {
    std::string result;
    result.reserve(filter.size() + 2);
    for (std::size_t pos = 0; pos < filter.size();) {
        const std::size_t next = NextCharOffset(filter, pos, isLead);
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

}  // namespace velmira
