#pragma once
// How a colour looks with the three dichromacies, by the model of G. M. Machado, M. M. Oliveira and
// L. A. F. Fernandes, "A Physiologically-based Model for Simulation of Color Vision Deficiency", IEEE TVCG
// 15(6), 2009, at severity 1.0 (their matrices, published with the paper at
// https://www.inf.ufrgs.br/~oliveira/pubs_files/CVD_Simulation/CVD_Simulation.html). The matrices act on
// linear RGB; the result is clipped to the displayable range and encoded back to 8-bit sRGB.
#include <array>
#include <cstdint>

#include "color/Rgb.h"

namespace velmira {

enum class Vision { Protanopia, Deuteranopia, Tritanopia };
constexpr std::array<Vision, 3> kDeficientVisions = {Vision::Protanopia, Vision::Deuteranopia,
                                                      Vision::Tritanopia};

Rgb SimulateVision(Vision vision, Rgb colour) noexcept;
// The vision's short name on screen (code page 932 in the program): "P型色覚", "D型色覚", "T型色覚".
const char* VisionName(Vision vision) noexcept;

// The 8-bit sRGB value nearest to a linear value, 0 below 0 and 255 above 1.
std::uint8_t EncodeLinearChannel(double linear) noexcept;

}  // namespace velmira
