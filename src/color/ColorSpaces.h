#pragma once
// The colour spaces that CSS colours are written in, and the conversions between them with the matrices that
// CSS Color 4 publishes in its sample code (https://www.w3.org/TR/css-color-4/#color-conversion-code): sRGB and
// its linear light, display-p3, CIE XYZ relative to D65 (and to D50, reached by Bradford adaptation), CIE Lab,
// OKLab, and the polar forms of the last two. XYZ D65 is the hub every conversion passes through.
//
// A colour outside sRGB is brought into it by the gamut mapping of CSS Color 4: its chroma is reduced in
// OKLCh, lightness and hue kept, until clipping what remains outside changes the colour by less than a just
// noticeable difference (deltaEOK 0.02).
#include <array>

#include "color/Rgb.h"

namespace velmira {

using Triple = std::array<double, 3>;
using Matrix3 = std::array<Triple, 3>;

constexpr Triple Multiply(const Matrix3& m, const Triple& v) noexcept {
    return Triple{m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
                  m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
                  m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

constexpr Matrix3 Multiply(const Matrix3& a, const Matrix3& b) noexcept {
    Matrix3 product{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) product[i][j] += a[i][k] * b[k][j];
    return product;
}

// ---- The published matrices ------------------------------------------------------------------------------------
constexpr Matrix3 kLinearSrgbToXyz{{
    {506752.0 / 1228815, 87881.0 / 245763, 12673.0 / 70218},
    {87098.0 / 409605, 175762.0 / 245763, 12673.0 / 175545},
    {7918.0 / 409605, 87881.0 / 737289, 1001167.0 / 1053270},
}};
constexpr Matrix3 kXyzToLinearSrgb{{
    {12831.0 / 3959, -329.0 / 214, -1974.0 / 3959},
    {-851781.0 / 878810, 1648619.0 / 878810, 36519.0 / 878810},
    {705.0 / 12673, -2585.0 / 12673, 705.0 / 667},
}};
constexpr Matrix3 kLinearDisplayP3ToXyz{{
    {608311.0 / 1250200, 189793.0 / 714400, 198249.0 / 1000160},
    {35783.0 / 156275, 247089.0 / 357200, 198249.0 / 2500400},
    {0.0, 32229.0 / 714400, 5220557.0 / 5000800},
}};
constexpr Matrix3 kLinearA98RgbToXyz{{
    {573536.0 / 994567, 263643.0 / 1420810, 187206.0 / 994567},
    {591459.0 / 1989134, 6239551.0 / 9945670, 374412.0 / 4972835},
    {53769.0 / 1989134, 351524.0 / 4972835, 4929758.0 / 4972835},
}};
constexpr Matrix3 kLinearRec2020ToXyz{{
    {63426534.0 / 99577255, 20160776.0 / 139408157, 47086771.0 / 278816314},
    {26158966.0 / 99577255, 472592308.0 / 697040785, 8267143.0 / 139408157},
    {0.0, 19567812.0 / 697040785, 295819943.0 / 278816314},
}};
// ProPhoto's primaries relative to D50: the matrix has no rational form, so it is given to 64-bit accuracy.
constexpr Matrix3 kLinearProPhotoToXyzD50{{
    {0.79776664490064230, 0.13518129740053308, 0.03134773412839220},
    {0.28807482881940130, 0.71183523424187300, 0.00008993693872564},
    {0.0, 0.0, 0.82510460251046020},
}};
// Bradford chromatic adaptation from D50 to D65.
constexpr Matrix3 kD50ToD65{{
    {0.955473421488075, -0.02309845494876471, 0.06325924320057072},
    {-0.0283697093338637, 1.0099953980813041, 0.021041441191917323},
    {0.012314014864481998, -0.020507649298898964, 1.330365926242124},
}};
constexpr Matrix3 kXyzToLms{{
    {0.8190224379967030, 0.3619062600528904, -0.1288737815209879},
    {0.0329836539323885, 0.9292868615863434, 0.0361446663506424},
    {0.0481771893596242, 0.2642395317527308, 0.6335478284694309},
}};
constexpr Matrix3 kLmsToXyz{{
    {1.2268798758459243, -0.5578149944602171, 0.2813910456659647},
    {-0.0405757452148008, 1.1122868032803170, -0.0717110580655164},
    {-0.0763729366746601, -0.4214933324022432, 1.5869240198367816},
}};
constexpr Matrix3 kLmsRootToOklab{{
    {0.2104542683093140, 0.7936177747023054, -0.0040720430116193},
    {1.9779985324311684, -2.4285922420485799, 0.4505937096174110},
    {0.0259040424655478, 0.7827717124575296, -0.8086757549230774},
}};
constexpr Matrix3 kOklabToLmsRoot{{
    {1.0, 0.3963377773761749, 0.2158037573099136},
    {1.0, -0.1055613458156586, -0.0638541728258133},
    {1.0, -0.0894841775298119, -1.2914855480194092},
}};
// D50 as CSS Color 4 defines it, from its 4-figure chromaticities.
constexpr Triple kD50White{0.3457 / 0.3585, 1.0, (1.0 - 0.3457 - 0.3585) / 0.3585};

// ---- Conversions -----------------------------------------------------------------------------------------------
// The sRGB transfer function (also display-p3's), extended to negative values by reflection.
double LinearOfEncoded(double encoded) noexcept;
double EncodedOfLinear(double linear) noexcept;
Triple LinearOfEncoded(const Triple& encoded) noexcept;
Triple EncodedOfLinear(const Triple& linear) noexcept;

// XYZ relative to D65 of the colour() spaces other than sRGB, gamma-encoded where the space is: the linear
// light of sRGB, display-p3, a98-rgb, prophoto-rgb (relative to D50), rec2020 (with the reference display's
// transfer function, a pure power of 2.4), and XYZ relative to D50 or D65.
Triple XyzOfLinearSrgb(const Triple& linear) noexcept;
Triple XyzOfDisplayP3(const Triple& encoded) noexcept;
Triple XyzOfA98Rgb(const Triple& encoded) noexcept;
Triple XyzOfProPhotoRgb(const Triple& encoded) noexcept;
Triple XyzOfRec2020(const Triple& encoded) noexcept;
Triple XyzOfXyzD50(const Triple& xyzD50) noexcept;
Triple XyzOfXyzD65(const Triple& xyzD65) noexcept;

// CIE Lab (L 0 to 100) to XYZ relative to D50.
Triple XyzD50OfLab(const Triple& lab) noexcept;
Triple OklabOfXyz(const Triple& xyzD65) noexcept;
Triple OklabOfEncodedSrgb(const Triple& encoded) noexcept;
// CIE Lab relative to D50 to OKLab, through XYZ D50 and D65.
Triple OklabOfLab(const Triple& lab) noexcept;
Triple XyzOfOklab(const Triple& oklab) noexcept;
// Lightness, chroma and a hue in degrees to lightness and the two opponent axes (LCH to Lab, OKLCh to OKLab).
Triple RectangularOfPolar(const Triple& lch) noexcept;
// And back: the hue in degrees, 0 to 360.
Triple PolarOfRectangular(const Triple& lab) noexcept;

// Gamma-encoded sRGB of HSL and HWB: hue in degrees, the other two 0 to 1 (CSS Color 4's algorithms).
Triple SrgbOfHsl(double hue, double saturation, double lightness) noexcept;
Triple SrgbOfHwb(double hue, double whiteness, double blackness) noexcept;
// Gamma-encoded sRGB of CMYK ink amounts 0 to 1, by the plain formula red = (1 - cyan) (1 - black) and so on:
// without a printer's profile there is no better one.
Triple SrgbOfCmyk(double cyan, double magenta, double yellow, double black) noexcept;
// HSL of an 8-bit colour: hue in degrees (0 for greys), saturation and lightness in percent.
Triple HslOf(Rgb colour) noexcept;
// OKLCh of an 8-bit colour: lightness 0 to 1, chroma, hue in degrees (chroma and hue 0 for greys).
Triple OklchOf(Rgb colour) noexcept;

// Gamma-encoded sRGB within 0 to 1 of a colour given in OKLab, gamut mapped as CSS Color 4 does.
Triple GamutMappedSrgb(const Triple& oklab) noexcept;
bool InSrgbGamut(const Triple& encoded) noexcept;

// Each channel of gamma-encoded sRGB to 8 bits: clamped to 0 to 1, times 255, rounded half up.
Rgb RgbOfEncoded(const Triple& encoded) noexcept;

}  // namespace velmira
