#include "color/ColorSpaces.h"

#include <algorithm>
#include <cmath>

#include "color/Oklab.h"

namespace velmira {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The gamut mapping's just noticeable difference and the precision of its search, as CSS Color 4 sets them.
constexpr double kJustNoticeable = 0.02;
constexpr double kSearchEpsilon = 0.0001;

Triple Clipped(const Triple& encoded) noexcept {
    return Triple{std::clamp(encoded[0], 0.0, 1.0), std::clamp(encoded[1], 0.0, 1.0),
                  std::clamp(encoded[2], 0.0, 1.0)};
}

Triple EncodedSrgbOfOklab(const Triple& oklab) noexcept {
    return EncodedOfLinear(Multiply(kXyzToLinearSrgb, XyzOfOklab(oklab)));
}

double DeltaEOk(const Triple& x, const Triple& y) noexcept {
    const double dl = x[0] - y[0], da = x[1] - y[1], db = x[2] - y[2];
    return std::sqrt(dl * dl + da * da + db * db);
}

// A transfer function that is a power, extended to negative values by reflection.
Triple LinearOfPower(const Triple& encoded, double exponent) noexcept {
    Triple linear{};
    for (int i = 0; i < 3; ++i) linear[i] = std::copysign(std::pow(std::fabs(encoded[i]), exponent), encoded[i]);
    return linear;
}

double NormalisedHue(double degrees) noexcept {
    const double hue = std::fmod(degrees, 360.0);
    return hue < 0 ? hue + 360.0 : hue;
}

}  // namespace

double LinearOfEncoded(double encoded) noexcept {
    const double magnitude = std::fabs(encoded);
    if (magnitude <= 0.04045) return encoded / 12.92;
    return std::copysign(std::pow((magnitude + 0.055) / 1.055, 2.4), encoded);
}

double EncodedOfLinear(double linear) noexcept {
    const double magnitude = std::fabs(linear);
    if (magnitude <= 0.0031308) return 12.92 * linear;
    return std::copysign(1.055 * std::pow(magnitude, 1 / 2.4) - 0.055, linear);
}

Triple LinearOfEncoded(const Triple& encoded) noexcept {
    return Triple{LinearOfEncoded(encoded[0]), LinearOfEncoded(encoded[1]), LinearOfEncoded(encoded[2])};
}

Triple EncodedOfLinear(const Triple& linear) noexcept {
    return Triple{EncodedOfLinear(linear[0]), EncodedOfLinear(linear[1]), EncodedOfLinear(linear[2])};
}

Triple XyzOfLinearSrgb(const Triple& linear) noexcept {
    return Multiply(kLinearSrgbToXyz, linear);
}

Triple XyzOfDisplayP3(const Triple& encoded) noexcept {
    return Multiply(kLinearDisplayP3ToXyz, LinearOfEncoded(encoded));
}

Triple XyzOfA98Rgb(const Triple& encoded) noexcept {
    return Multiply(kLinearA98RgbToXyz, LinearOfPower(encoded, 563.0 / 256));
}

Triple XyzOfProPhotoRgb(const Triple& encoded) noexcept {
    Triple linear = LinearOfPower(encoded, 1.8);
    for (int i = 0; i < 3; ++i)
        if (std::fabs(encoded[i]) < 16.0 / 512) linear[i] = encoded[i] / 16;
    return XyzOfXyzD50(Multiply(kLinearProPhotoToXyzD50, linear));
}

Triple XyzOfRec2020(const Triple& encoded) noexcept {
    return Multiply(kLinearRec2020ToXyz, LinearOfPower(encoded, 2.4));
}

Triple XyzOfXyzD50(const Triple& xyzD50) noexcept {
    return Multiply(kD50ToD65, xyzD50);
}

Triple XyzOfXyzD65(const Triple& xyzD65) noexcept {
    return xyzD65;
}

Triple XyzD50OfLab(const Triple& lab) noexcept {
    constexpr double kappa = 24389.0 / 27;
    constexpr double epsilon = 216.0 / 24389;
    const double f1 = (lab[0] + 16) / 116;
    const double f0 = lab[1] / 500 + f1;
    const double f2 = f1 - lab[2] / 200;
    const double x = f0 * f0 * f0 > epsilon ? f0 * f0 * f0 : (116 * f0 - 16) / kappa;
    const double y = lab[0] > kappa * epsilon ? f1 * f1 * f1 : lab[0] / kappa;
    const double z = f2 * f2 * f2 > epsilon ? f2 * f2 * f2 : (116 * f2 - 16) / kappa;
    return Triple{x * kD50White[0], y * kD50White[1], z * kD50White[2]};
}

Triple OklabOfXyz(const Triple& xyzD65) noexcept {
    const Triple lms = Multiply(kXyzToLms, xyzD65);
    return Multiply(kLmsRootToOklab, Triple{std::cbrt(lms[0]), std::cbrt(lms[1]), std::cbrt(lms[2])});
}

Triple OklabOfEncodedSrgb(const Triple& encoded) noexcept {
    return OklabOfXyz(XyzOfLinearSrgb(LinearOfEncoded(encoded)));
}

Triple OklabOfLab(const Triple& lab) noexcept {
    return OklabOfXyz(Multiply(kD50ToD65, XyzD50OfLab(lab)));
}

Triple XyzOfOklab(const Triple& oklab) noexcept {
    const Triple root = Multiply(kOklabToLmsRoot, oklab);
    return Multiply(kLmsToXyz, Triple{root[0] * root[0] * root[0], root[1] * root[1] * root[1],
                                      root[2] * root[2] * root[2]});
}

Triple RectangularOfPolar(const Triple& lch) noexcept {
    const double radians = lch[2] * kPi / 180;
    return Triple{lch[0], lch[1] * std::cos(radians), lch[1] * std::sin(radians)};
}

Triple PolarOfRectangular(const Triple& lab) noexcept {
    const double hue = std::atan2(lab[2], lab[1]) * 180 / kPi;
    return Triple{lab[0], std::hypot(lab[1], lab[2]), hue < 0 ? hue + 360 : hue};
}

Triple SrgbOfHsl(double hue, double saturation, double lightness) noexcept {
    hue = NormalisedHue(hue);
    const double a = saturation * std::min(lightness, 1 - lightness);
    auto channel = [&](double n) {
        const double k = std::fmod(n + hue / 30, 12.0);
        return lightness - a * std::max(-1.0, std::min(std::min(k - 3, 9 - k), 1.0));
    };
    return Triple{channel(0), channel(8), channel(4)};
}

Triple SrgbOfHwb(double hue, double whiteness, double blackness) noexcept {
    if (whiteness + blackness >= 1) {
        const double grey = whiteness / (whiteness + blackness);
        return Triple{grey, grey, grey};
    }
    Triple rgb = SrgbOfHsl(hue, 1, 0.5);
    for (double& c : rgb) c = c * (1 - whiteness - blackness) + whiteness;
    return rgb;
}

Triple SrgbOfCmyk(double cyan, double magenta, double yellow, double black) noexcept {
    return Triple{(1 - cyan) * (1 - black), (1 - magenta) * (1 - black), (1 - yellow) * (1 - black)};
}

Triple HslOf(Rgb colour) noexcept {
    const double r = colour.red / 255.0, g = colour.green / 255.0, b = colour.blue / 255.0;
    const double most = std::max({r, g, b}), least = std::min({r, g, b});
    const double lightness = (most + least) / 2;
    const double range = most - least;
    if (range == 0) return Triple{0, 0, lightness * 100};
    const double saturation = range / (1 - std::fabs(2 * lightness - 1));
    double hue;
    if (most == r)
        hue = (g - b) / range + (g < b ? 6 : 0);
    else if (most == g)
        hue = (b - r) / range + 2;
    else
        hue = (r - g) / range + 4;
    return Triple{hue * 60, saturation * 100, lightness * 100};
}

Triple OklchOf(Rgb colour) noexcept {
    const Oklab lab = OklabOf(colour);
    if (colour.red == colour.green && colour.green == colour.blue) return Triple{lab.l, 0, 0};
    return PolarOfRectangular(Triple{lab.l, lab.a, lab.b});
}

bool InSrgbGamut(const Triple& encoded) noexcept {
    for (const double c : encoded)
        if (!(c >= 0 && c <= 1)) return false;
    return true;
}

// CSS Color 4, 13.2 "CSS gamut mapping to an RGB destination", for sRGB.
Triple GamutMappedSrgb(const Triple& oklab) noexcept {
    if (!(oklab[0] < 1)) return Triple{1, 1, 1};
    if (!(oklab[0] > 0)) return Triple{0, 0, 0};
    const Triple direct = EncodedSrgbOfOklab(oklab);
    if (InSrgbGamut(direct)) return direct;

    Triple current = PolarOfRectangular(oklab);
    Triple clipped = Clipped(direct);
    if (DeltaEOk(OklabOfEncodedSrgb(clipped), oklab) < kJustNoticeable) return clipped;
    double least = 0, most = current[1];
    bool leastInGamut = true;
    while (most - least > kSearchEpsilon) {
        current[1] = (least + most) / 2;
        const Triple candidateLab = RectangularOfPolar(current);
        const Triple candidate = EncodedSrgbOfOklab(candidateLab);
        if (leastInGamut && InSrgbGamut(candidate)) {
            least = current[1];
            continue;
        }
        clipped = Clipped(candidate);
        const double difference = DeltaEOk(OklabOfEncodedSrgb(clipped), candidateLab);
        if (difference < kJustNoticeable) {
            if (kJustNoticeable - difference < kSearchEpsilon) return clipped;
            leastInGamut = false;
            least = current[1];
        } else {
            most = current[1];
        }
    }
    return clipped;
}

Rgb RgbOfEncoded(const Triple& encoded) noexcept {
    auto eightBits = [](double c) {
        const double scaled = std::floor((c >= 0 ? std::min(c, 1.0) : 0.0) * 255 + 0.5);
        return static_cast<std::uint8_t>(scaled);
    };
    return Rgb{eightBits(encoded[0]), eightBits(encoded[1]), eightBits(encoded[2])};
}

}  // namespace velmira
