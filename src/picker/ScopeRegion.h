#pragma once
// The shape of the scope window, worked out from its picture: every pixel whose colour differs from the
// top-left pixel's belongs to the window; the top-left pixel's colour is the transparent one.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace velmira {

// One row's run of opaque pixels: columns left to right - 1 of row `top` (right is one past the last pixel).
struct RegionRun {
    int left = 0;
    int top = 0;
    int right = 0;
    bool operator==(const RegionRun& other) const noexcept {
        return left == other.left && top == other.top && right == other.right;
    }
};

// The colour of pixel (x, y), counted from the top-left; any encoding, compared only for equality.
using PixelAccessor = std::function<std::uint32_t(int x, int y)>;

// The runs of pixels that differ from pixel (0, 0), row by row from the top, left to right within a row.
std::vector<RegionRun> OpaqueRuns(int width, int height, const PixelAccessor& pixel);

// A picture of width x height pixels (top row first) enlarged `factor` times by nearest neighbour: each pixel
// becomes a factor x factor block.
std::vector<std::uint32_t> EnlargedPixels(const std::vector<std::uint32_t>& pixels, int width, int height,
                                          int factor);

// The same for a 24-bit picture held as top-down rows of blue, green, red bytes, `stride` bytes apart
// (a DIB's rows are padded to a multiple of four bytes).
std::vector<RegionRun> OpaqueRuns24(int width, int height, const std::uint8_t* rows, std::size_t stride);

}  // namespace velmira
