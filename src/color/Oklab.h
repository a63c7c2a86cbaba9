#pragma once
// The OKLab colour space: lightness L (0 black to 1 white) and the opponent axes a (green-red) and
// b (blue-yellow), built so that equal distances look about equally different. The colour adjustment
// looks for the nearest colour in it.
#include "color/Rgb.h"

namespace velmira {

struct Oklab {
    double l = 0;
    double a = 0;
    double b = 0;
};

Oklab OklabOf(Rgb colour) noexcept;
// Euclidean distance (delta E in OKLab).
double OklabDistance(const Oklab& x, const Oklab& y) noexcept;

// The two steps of the conversion, for code that bounds whole ranges of colours: linear sRGB to the cone
// responses (every coefficient positive, so each response grows with each channel), then the cube roots
// of those responses to OKLab.
struct ConeResponse {
    double l = 0;
    double m = 0;
    double s = 0;
};
ConeResponse ConeResponseOfLinear(double red, double green, double blue) noexcept;
Oklab OklabOfCubeRoots(const ConeResponse& roots) noexcept;

// The matrices, row by row, as published (B. Ottosson, "A perceptual color space for image processing",
// 2020, https://bottosson.github.io/posts/oklab/).
constexpr double kLinearToCone[3][3] = {
    {0.4122214708, 0.5363325363, 0.0514459929},
    {0.2119034982, 0.6806995451, 0.1073969566},
    {0.0883024619, 0.2817188376, 0.6299787005},
};
constexpr double kConeRootToOklab[3][3] = {
    {0.2104542553, 0.7936177850, -0.0040720468},
    {1.9779984951, -2.4285922050, 0.4505937099},
    {0.0259040371, 0.7827717662, -0.8086757660},
};

}  // namespace velmira
