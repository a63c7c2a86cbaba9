#pragma once
// The square a pick samples around the sight's pixel: the sides it steps through, and its pixels in a capture
// of the area around the pick point.
#include <cstdint>
#include <vector>

#include "picker/LoupeLayout.h"

namespace velmira {

// The sides the keys and the wheel step through; 1 is the single pixel of a plain pick.
constexpr int kSampleSizes[] = {1, 3, 5, 7, 9, 15};

// A side as the settings give it: one of the sizes, anything else the single pixel.
int SampleSizeOf(int value) noexcept;
// The side `steps` sizes from `side` (positive: larger), held at the ends.
int SampleSizeAfter(int side, int steps) noexcept;

// The square of `side` centred in a capture of `cells.pixels` across (row by row, 0x00RRGGBB): its pixels in
// reading order, a cell off every screen as white (as a pick there reads), a hidden cell left out. Cells
// beyond the capture are left out too.
std::vector<std::uint32_t> SquareOfCapture(const LoupeCells& cells, const std::uint32_t* capture, int side);

// The middle `pixels` across of cells, and of a capture `side` across, for a loupe that captured a square
// larger than it shows.
LoupeCells MiddleCells(const LoupeCells& cells, int pixels);
std::vector<std::uint32_t> MiddlePixels(const std::uint32_t* capture, int side, int pixels);

}  // namespace velmira
