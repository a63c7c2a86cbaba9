#include "picker/ScopeRegion.h"

namespace velmira {

std::vector<RegionRun> OpaqueRuns(int width, int height, const PixelAccessor& pixel) {
    std::vector<RegionRun> runs;
    if (width <= 0 || height <= 0) return runs;
    const std::uint32_t key = pixel(0, 0);
    for (int y = 0; y < height; ++y) {
        bool inside = false;
        for (int x = 0; x < width; ++x) {
            const bool opaque = pixel(x, y) != key;
            if (opaque && !inside) {
                runs.push_back(RegionRun{x, y, width});  // the right edge is fixed when the run ends
                inside = true;
            } else if (!opaque && inside) {
                runs.back().right = x;
                inside = false;
            }
        }
    }
    return runs;
}

std::vector<std::uint32_t> EnlargedPixels(const std::vector<std::uint32_t>& pixels, int width, int height,
                                          int factor) {
    std::vector<std::uint32_t> large;
    if (width <= 0 || height <= 0 || factor <= 0 ||
        pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return large;
    large.reserve(pixels.size() * static_cast<std::size_t>(factor) * static_cast<std::size_t>(factor));
    for (int y = 0; y < height * factor; ++y) {
        const std::uint32_t* row = &pixels[static_cast<std::size_t>(y / factor) * static_cast<std::size_t>(width)];
        for (int x = 0; x < width * factor; ++x) large.push_back(row[x / factor]);
    }
    return large;
}

std::vector<RegionRun> OpaqueRuns24(int width, int height, const std::uint8_t* rows, std::size_t stride) {
    return OpaqueRuns(width, height, [rows, stride](int x, int y) {
        const std::uint8_t* p = rows + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16);
    });
}

}  // namespace velmira
