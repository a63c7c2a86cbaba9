#pragma once
// Draws the loupe's picture from one capture of the screen: the frame, the magnified cells on a one-pixel
// grid, hatched cells where our own windows hide the screen, two rings round the centre cell, and the empty
// band for the readout, which the window draws as text on top.
//
// Pixels are 32-bit 0x00RRGGBB, top row first, as in a 32-bit top-down DIB section.
#include <cstdint>

#include "picker/LoupeLayout.h"

namespace velmira {

struct LoupeColours {
    std::uint32_t frame = 0x404040;
    std::uint32_t grid = 0x707070;
    std::uint32_t band = 0xF0F0F0;       // behind the readout: the system's face colour
    std::uint32_t hatchLight = 0xD8D8D8;
    std::uint32_t hatchDark = 0x989898;
    std::uint32_t outside = 0x404040;    // cells off every screen
};

// The inner ring round the centre cell: black on a light pixel, white on a dark one; the outer ring is the other.
std::uint32_t CentreRingColour(std::uint32_t pixel) noexcept;

// `capture` holds the shown area, `geometry.pixels` square, row by row; `out` is geometry.width x
// geometry.height, `stride` pixels from one row to the next. A `sample` side above 1 outlines the sampled
// square round the centre cell too (on the grid lines, a black ring inside a white one), as far as it is shown.
void PaintLoupe(const LoupeGeometry& geometry, const LoupeCells& cells, const std::uint32_t* capture,
                const LoupeColours& colours, std::uint32_t* out, int stride, int sample = 1);

}  // namespace velmira
