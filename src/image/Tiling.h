#pragma once
// Where copies of a picture go when it is tiled over the preview from the top-left corner.
#include <vector>

namespace velmira {

struct TileRect {
    int left;
    int top;
    int right;   // exclusive
    int bottom;  // exclusive
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// The tiles of a pictureWidth x pictureHeight picture over an areaWidth x areaHeight bitmap, row by row
// from the top-left, each clipped to the bitmap. The picture's own (0, 0) goes to each tile's
// (left, top); a clipped tile shows the picture's top-left Width() x Height() pixels.
// A picture or area without width or height gives no tiles (stepping by zero would never end).
std::vector<TileRect> TileRects(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

}  // namespace velmira
