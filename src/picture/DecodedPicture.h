#pragma once
// A decoded background picture: its full size, and the pixels of the part the preview can show.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmira {

// The preview's bitmap at 96 DPI (on a scaled display it is larger, as the window is). Pictures are tiled from
// its top-left corner and never scaled, so no decoder has to produce more columns and rows than it has.
constexpr int kPreviewWidth = 163;
constexpr int kPreviewHeight = 188;

struct DecodedPicture {
    // The size the file declares; tiling steps by it even when only part of it was decoded.
    int width = 0;
    int height = 0;
    // The decoded top-left region: min(width, maxWidth) x min(height, maxHeight).
    int visibleWidth = 0;
    int visibleHeight = 0;
    // visibleWidth * visibleHeight pixels, top row first, each 0x00RRGGBB. In memory on a
    // little-endian machine that is B, G, R, 0: a top-down 32-bit DIB row (negative biHeight)
    // that SetDIBits / StretchDIBits take as it is.
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * visibleWidth + x]; }
};

}  // namespace velmira
