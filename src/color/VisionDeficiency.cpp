#include "color/VisionDeficiency.h"

#include <algorithm>
#include <cmath>

#include "color/Contrast.h"

namespace velmira {
namespace {

using Matrix = double[3][3];

// Machado, Oliveira and Fernandes 2009, severity 1.0, rows giving linear R, G, B.
constexpr Matrix kProtanopia = {
    {0.152286, 1.052583, -0.204868},
    {0.114503, 0.786281, 0.099216},
    {-0.003882, -0.048116, 1.051998},
};
constexpr Matrix kDeuteranopia = {
    {0.367322, 0.860646, -0.227968},
    {0.280085, 0.672501, 0.047413},
    {-0.011820, 0.042940, 0.968881},
};
constexpr Matrix kTritanopia = {
    {1.255528, -0.076749, -0.178779},
    {-0.078411, 0.930809, 0.147602},
    {0.004733, 0.691367, 0.303900},
};

const Matrix& MatrixOf(Vision vision) {
    switch (vision) {
    case Vision::Protanopia: return kProtanopia;
    case Vision::Deuteranopia: return kDeuteranopia;
    case Vision::Tritanopia: break;
    }
    return kTritanopia;
}

}  // namespace

std::uint8_t EncodeLinearChannel(double linear) noexcept {
    const double c = std::clamp(linear, 0.0, 1.0);
    const double encoded = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return static_cast<std::uint8_t>(std::clamp(std::floor(encoded * 255.0 + 0.5), 0.0, 255.0));
}

Rgb SimulateVision(Vision vision, Rgb colour) noexcept {
    const Matrix& m = MatrixOf(vision);
    const double r = LinearChannel(colour.red), g = LinearChannel(colour.green), b = LinearChannel(colour.blue);
    return Rgb{EncodeLinearChannel(m[0][0] * r + m[0][1] * g + m[0][2] * b),
               EncodeLinearChannel(m[1][0] * r + m[1][1] * g + m[1][2] * b),
               EncodeLinearChannel(m[2][0] * r + m[2][1] * g + m[2][2] * b)};
}

const char* VisionName(Vision vision) noexcept {
    switch (vision) {
    case Vision::Protanopia: return "P型色覚";
    case Vision::Deuteranopia: return "D型色覚";
    case Vision::Tritanopia: break;
    }
    return "T型色覚";
}

}  // namespace velmira
