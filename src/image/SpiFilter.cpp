#include "image/SpiFilter.h"

namespace velmira {

std::string BuildOpenFilter(const std::vector<ST_SpiInfo>& plugins) {
    const std::string tail = "すべてのﾌｧｲﾙ(*.*)|*.*";
    std::string head = "ｲﾒｰｼﾞﾌｧｲﾙ|";
    std::string filter = "jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|";
    for (const ST_SpiInfo& plugin : plugins) {
        filter += plugin.Description + "|" + plugin.Pattern + "|";
        head += ";" + plugin.Pattern;
    }
    // The formats the program reads itself close the list, JPEG included, so that the entry selected the first
    // time shows every picture the program can load.
    head += ";*.bmp;*.jpg;*.jpeg";
    return head + "|" + filter + "BMPﾌｧｲﾙ(*.bmp)|*.bmp|" + tail;
}

}  // namespace velmira
