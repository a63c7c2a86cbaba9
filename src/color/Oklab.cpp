#include "color/Oklab.h"

#include <cmath>

#include "color/Contrast.h"

namespace velmira {

ConeResponse ConeResponseOfLinear(double red, double green, double blue) noexcept {
    const auto& m = kLinearToCone;
    return ConeResponse{m[0][0] * red + m[0][1] * green + m[0][2] * blue,
                        m[1][0] * red + m[1][1] * green + m[1][2] * blue,
                        m[2][0] * red + m[2][1] * green + m[2][2] * blue};
}

Oklab OklabOfCubeRoots(const ConeResponse& roots) noexcept {
    const auto& m = kConeRootToOklab;
    return Oklab{m[0][0] * roots.l + m[0][1] * roots.m + m[0][2] * roots.s,
                 m[1][0] * roots.l + m[1][1] * roots.m + m[1][2] * roots.s,
                 m[2][0] * roots.l + m[2][1] * roots.m + m[2][2] * roots.s};
}

Oklab OklabOf(Rgb colour) noexcept {
    const ConeResponse cone =
        ConeResponseOfLinear(LinearChannel(colour.red), LinearChannel(colour.green), LinearChannel(colour.blue));
    return OklabOfCubeRoots(ConeResponse{std::cbrt(cone.l), std::cbrt(cone.m), std::cbrt(cone.s)});
}

double OklabDistance(const Oklab& x, const Oklab& y) noexcept {
    const double dl = x.l - y.l, da = x.a - y.a, db = x.b - y.b;
    return std::sqrt(dl * dl + da * da + db * db);
}

}  // namespace velmira
