#include "color/Apca.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace velmira {
namespace {

// APCA 0.0.98G-4g.
constexpr double kMainTrc = 2.4;
constexpr double kRedWeight = 0.2126729;
constexpr double kGreenWeight = 0.7151522;
constexpr double kBlueWeight = 0.0721750;
constexpr double kNormalBackground = 0.56;
constexpr double kNormalText = 0.57;
constexpr double kReverseText = 0.62;
constexpr double kReverseBackground = 0.65;
constexpr double kBlackThreshold = 0.022;
constexpr double kBlackClamp = 1.414;
constexpr double kScaleBlackOnWhite = 1.14;
constexpr double kScaleWhiteOnBlack = 1.14;
constexpr double kOffsetBlackOnWhite = 0.027;
constexpr double kOffsetWhiteOnBlack = 0.027;
constexpr double kDeltaYMin = 0.0005;
constexpr double kLowClip = 0.1;

const std::array<double, 256>& ScreenChannels() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (std::size_t i = 0; i < t.size(); ++i) t[i] = std::pow(static_cast<double>(i) / 255.0, kMainTrc);
        return t;
    }();
    return table;
}

// Raises luminances near black, for the flare of a real screen.
double SoftClampBlack(double y) {
    return y > kBlackThreshold ? y : y + std::pow(kBlackThreshold - y, kBlackClamp);
}

struct UseLevel {
    double lc;
    ApcaUse use;
};
constexpr UseLevel kUseLevels[] = {
    {90, ApcaUse::BodyText}, {75, ApcaUse::FluentText}, {60, ApcaUse::ContentText},
    {45, ApcaUse::LargeText}, {30, ApcaUse::SpotText},  {15, ApcaUse::NonText},
};

}  // namespace

double ApcaLuminance(Rgb colour) noexcept {
    const auto& screen = ScreenChannels();
    return kRedWeight * screen[colour.red] + kGreenWeight * screen[colour.green] + kBlueWeight * screen[colour.blue];
}

double ApcaContrastOfLuminances(double text, double background) noexcept {
    text = SoftClampBlack(text);
    background = SoftClampBlack(background);
    if (std::fabs(background - text) < kDeltaYMin) return 0;
    if (background > text) {
        const double sapc =
            (std::pow(background, kNormalBackground) - std::pow(text, kNormalText)) * kScaleBlackOnWhite;
        return sapc < kLowClip ? 0 : (sapc - kOffsetBlackOnWhite) * 100;
    }
    const double sapc = (std::pow(background, kReverseBackground) - std::pow(text, kReverseText)) * kScaleWhiteOnBlack;
    return sapc > -kLowClip ? 0 : (sapc + kOffsetWhiteOnBlack) * 100;
}

double ApcaContrast(Rgb text, Rgb background) noexcept {
    return ApcaContrastOfLuminances(ApcaLuminance(text), ApcaLuminance(background));
}

ApcaUse ApcaUseOf(double lc) noexcept {
    const double magnitude = std::fabs(lc);
    for (const UseLevel& level : kUseLevels)
        if (magnitude >= level.lc) return level.use;
    return ApcaUse::NotUsable;
}

const char* ApcaUseText(ApcaUse use) noexcept {
    switch (use) {
    case ApcaUse::BodyText: return "本文";
    case ApcaUse::FluentText: return "連続した文章";
    case ApcaUse::ContentText: return "一般の文字";
    case ApcaUse::LargeText: return "大きな文字";
    case ApcaUse::SpotText: return "補助的な文字";
    case ApcaUse::NonText: return "文字以外";
    case ApcaUse::NotUsable: break;
    }
    return "使用不可";
}

std::string LcText(double lc) {
    const long long tenths = static_cast<long long>(std::floor(std::fabs(lc) * 10.0 + 0.5));
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "Lc %s%lld.%lld", lc < 0 && tenths > 0 ? "-" : "", tenths / 10, tenths % 10);
    return buffer;
}

double WorstApcaContrastOver(Rgb text, const std::vector<Rgb>& pixels) {
    const double textLuminance = ApcaLuminance(text);
    double worst = 0;
    bool first = true;
    for (const Rgb& pixel : pixels) {
        const double lc = ApcaContrastOfLuminances(textLuminance, ApcaLuminance(pixel));
        if (first || std::fabs(lc) < std::fabs(worst)) worst = lc;
        first = false;
    }
    return worst;
}

}  // namespace velmira
