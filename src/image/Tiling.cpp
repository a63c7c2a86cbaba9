#include "image/Tiling.h"

#include <algorithm>

namespace velmira {

std::vector<TileRect> TileRects(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
    std::vector<TileRect> tiles;
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return tiles;
    // Steps are taken in 64 bits so that a huge picture cannot overflow x + w.
    for (long long y = 0; y < areaHeight; y += pictureHeight) {
        for (long long x = 0; x < areaWidth; x += pictureWidth) {
            tiles.push_back({static_cast<int>(x), static_cast<int>(y),
                             static_cast<int>(std::min<long long>(x + pictureWidth, areaWidth)),
                             static_cast<int>(std::min<long long>(y + pictureHeight, areaHeight))});
        }
    }
    return tiles;
}

}  // namespace velmira
