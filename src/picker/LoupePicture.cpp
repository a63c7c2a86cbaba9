#include "picker/LoupePicture.h"

#include <algorithm>
#include <cstddef>

namespace velmira {
namespace {

class Pixels {
public:
    Pixels(std::uint32_t* out, int width, int height, int stride) noexcept
        : out_(out), width_(width), height_(height), stride_(stride) {}

    // Fills [left, right) x [top, bottom), clipped to the picture.
    void Fill(int left, int top, int right, int bottom, std::uint32_t colour) const noexcept {
        left = std::max(left, 0), top = std::max(top, 0);
        right = std::min(right, width_), bottom = std::min(bottom, height_);
        for (int y = top; y < bottom; ++y) std::fill(Row(y) + left, Row(y) + std::max(left, right), colour);
    }

    // A frame `thickness` wide just inside [left, right) x [top, bottom).
    void Frame(int left, int top, int right, int bottom, int thickness, std::uint32_t colour) const noexcept {
        Fill(left, top, right, top + thickness, colour);
        Fill(left, bottom - thickness, right, bottom, colour);
        Fill(left, top + thickness, left + thickness, bottom - thickness, colour);
        Fill(right - thickness, top + thickness, right, bottom - thickness, colour);
    }

    // Diagonal stripes that run on from one cell to the next: they are laid on the picture, not on the cell.
    void Hatch(int left, int top, int right, int bottom, int stripe, std::uint32_t light,
               std::uint32_t dark) const noexcept {
        for (int y = top; y < bottom; ++y) {
            std::uint32_t* row = Row(y);
            for (int x = left; x < right; ++x) row[x] = ((x + y) / stripe) % 2 == 0 ? light : dark;
        }
    }

    std::uint32_t* Row(int y) const noexcept { return out_ + static_cast<std::ptrdiff_t>(y) * stride_; }

private:
    std::uint32_t* out_;
    int width_;
    int height_;
    int stride_;
};

}  // namespace

std::uint32_t CentreRingColour(std::uint32_t pixel) noexcept {
    const std::uint32_t red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
    // Perceived brightness in thousandths; half way decides between a black and a white ring.
    return 299 * red + 587 * green + 114 * blue >= 128 * 1000 ? 0x000000 : 0xFFFFFF;
}

namespace {

void OutlineSample(const Pixels& picture, const LoupeGeometry& g, int sample) {
    const int first = g.Centre() - sample / 2;
    const int t = g.outline;
    const int gridRight = g.gridLeft + g.gridSide, gridBottom = g.gridTop + g.gridSide;
    const int left = std::max(g.CellLeft(first) - (t - 1), g.gridLeft);
    const int top = std::max(g.CellTop(first) - (t - 1), g.gridTop);
    const int right = std::min(g.CellLeft(first + sample) + t, gridRight);
    const int bottom = std::min(g.CellTop(first + sample) + t, gridBottom);
    picture.Frame(left, top, right, bottom, t, 0x000000);
    picture.Frame(std::max(left - t, g.gridLeft), std::max(top - t, g.gridTop), std::min(right + t, gridRight),
                  std::min(bottom + t, gridBottom), t, 0xFFFFFF);
}

}  // namespace

void PaintLoupe(const LoupeGeometry& g, const LoupeCells& cells, const std::uint32_t* capture,
                const LoupeColours& colours, std::uint32_t* out, int stride, int sample) {
    const Pixels picture(out, g.width, g.height, stride);
    const int viewRight = g.width - g.border;
    picture.Fill(0, 0, g.width, g.height, colours.frame);
    picture.Fill(g.border, g.border, viewRight, g.textTop, colours.grid);
    picture.Fill(g.border, g.textTop, viewRight, g.textTop + g.textHeight, colours.band);

    // Each cell's first row and column stay grid.
    for (int row = 0; row < g.pixels; ++row) {
        const int top = g.CellTop(row) + 1;
        for (int column = 0; column < g.pixels; ++column) {
            const int left = g.CellLeft(column) + 1;
            const int right = left + g.cell - 1, bottom = top + g.cell - 1;
            switch (cells.At(column, row)) {
            case LoupeCell::Screen:
                picture.Fill(left, top, right, bottom, capture[static_cast<std::size_t>(row) * g.pixels + column]);
                break;
            case LoupeCell::Hidden:
                picture.Hatch(left, top, right, bottom, g.stripe, colours.hatchLight, colours.hatchDark);
                break;
            case LoupeCell::Outside:
                picture.Fill(left, top, right, bottom, colours.outside);
                break;
            }
        }
    }

    if (sample > 1) OutlineSample(picture, g, sample);

    // The inner ring lies on the centre cell's grid lines and outwards; the outer ring round it.
    const int c = g.Centre();
    const LoupeCell centre = cells.At(c, c);
    const std::uint32_t shown = centre == LoupeCell::Screen   ? capture[static_cast<std::size_t>(c) * g.pixels + c]
                                : centre == LoupeCell::Hidden ? colours.hatchLight
                                                              : colours.outside;
    const std::uint32_t inner = CentreRingColour(shown);
    const int t = g.outline;
    const int left = g.CellLeft(c) - (t - 1), top = g.CellTop(c) - (t - 1);
    const int right = g.CellLeft(c) + g.cell + t, bottom = g.CellTop(c) + g.cell + t;
    picture.Frame(left, top, right, bottom, t, inner);
    picture.Frame(left - t, top - t, right + t, bottom + t, t, inner ^ 0xFFFFFF);
}

}  // namespace velmira
