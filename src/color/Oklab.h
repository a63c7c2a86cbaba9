#pragma once
// The OKLab colour space: lightness L (0 black to 1 white) and the opponent axes a (green-red) and
// b (blue-yellow), built so that equal distances look about equally different (B. Ottosson, "A perceptual
// color space for image processing", 2020). The colour adjustment looks for the nearest colour in it, and the
// copy menu writes colours in its polar form.
#include "color/ColorSpaces.h"
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

// The matrices of CSS Color 4, which recalculated Ottosson's for a consistent reference white: linear sRGB to
// the cone responses through XYZ, then the cone roots to OKLab. Every coefficient of the first is positive.
constexpr Matrix3 kLinearToCone = Multiply(kXyzToLms, kLinearSrgbToXyz);
constexpr Matrix3 kConeRootToOklab = kLmsRootToOklab;
static_assert([] {
    for (const Triple& row : kLinearToCone)
        for (const double coefficient : row)
            if (!(coefficient > 0)) return false;
    return true;
}());

}  // namespace velmira
