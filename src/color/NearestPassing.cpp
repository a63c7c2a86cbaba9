#include "color/NearestPassing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "color/Contrast.h"
#include "color/Oklab.h"

namespace velmira {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHueTolerance = kHueToleranceDegrees * kPi / 180.0;

// A box's bounds come from the same formulas as a colour's own values, on other inputs, so rounding can
// put a bound a few units in the last place beyond the true value of a colour inside. Pruning only what
// lies beyond these margins keeps the answer from ever being pruned.
constexpr double kBoundSlack = 1e-9;
constexpr double kHueSlack = 1e-9;

// Boxes this small are searched colour by colour rather than split again.
constexpr int kLeafColours = 8;

// No two colours are further apart than black and white.
constexpr double kMaxRatio = 21.0;

using Channels = std::array<std::uint8_t, 3>;

bool IsGrey(Rgb c) {
    return c.red == c.green && c.green == c.blue;
}

double HueOf(const Oklab& lab) {
    return std::atan2(lab.b, lab.a);
}

// The angle from `from` to `to`, in (-pi, pi].
double HueGap(double from, double to) {
    return std::remainder(to - from, 2 * kPi);
}

bool WithinHue(double originalHue, const Oklab& lab) {
    return std::fabs(HueGap(originalHue, HueOf(lab))) <= kHueTolerance;
}

Rgb ColourOf(const Channels& c) {
    return Rgb{c[0], c[1], c[2]};
}

std::uint32_t KeyOf(Rgb c) {
    return (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
}

double SquaredDistance(const Oklab& x, const Oklab& y) {
    const double dl = x.l - y.l, da = x.a - y.a, db = x.b - y.b;
    return dl * dl + da * da + db * db;
}

// Colours that pass by being lighter than the fixed colour, or darker. A lighter passing colour stays one
// when any channel grows, a darker one when any channel shrinks: what lets a box be narrowed.
enum class Side { Lighter, Darker };

struct Box {
    Channels lo;
    Channels hi;
    Side side;
    double bound;  // lower bound of the squared OKLab distance from the original to any colour inside
};

bool FartherFirst(const Box& a, const Box& b) {
    return a.bound > b.bound;
}

// Every OKLab coordinate of a box's colours lies in these ranges.
struct LabRange {
    std::array<double, 3> least;
    std::array<double, 3> most;
};

LabRange LabRangeOf(const Box& box) {
    const ConeResponse low =
        ConeResponseOfLinear(LinearChannel(box.lo[0]), LinearChannel(box.lo[1]), LinearChannel(box.lo[2]));
    const ConeResponse high =
        ConeResponseOfLinear(LinearChannel(box.hi[0]), LinearChannel(box.hi[1]), LinearChannel(box.hi[2]));
    const std::array<double, 3> rootLow{std::cbrt(low.l), std::cbrt(low.m), std::cbrt(low.s)};
    const std::array<double, 3> rootHigh{std::cbrt(high.l), std::cbrt(high.m), std::cbrt(high.s)};
    LabRange range{};
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 3; ++j) {
            const double m = kConeRootToOklab[k][j];
            range.least[k] += m * (m >= 0 ? rootLow[j] : rootHigh[j]);
            range.most[k] += m * (m >= 0 ? rootHigh[j] : rootLow[j]);
        }
    return range;
}

class NearestSearch {
public:
    // A lighter colour must pass against the luminance `lightest`, a darker one against `darkest`: the same
    // luminance for a pair, the lightest and the darkest pixel over a picture.
    NearestSearch(Rgb original, double lightest, double darkest, double level)
        : original_(OklabOf(original)), hue_(HueOf(original_)), greyOnly_(IsGrey(original)),
          lightest_(lightest), darkest_(darkest), level_(level) {}

    Rgb Run(std::size_t& boxesOpened) {
        if (greyOnly_) {
            for (int v = 0; v < 256; ++v) {
                const auto c = static_cast<std::uint8_t>(v);
                Try(Rgb{c, c, c});
            }
            return best_;
        }
        Consider(Box{{0, 0, 0}, {255, 255, 255}, Side::Lighter, 0});
        Consider(Box{{0, 0, 0}, {255, 255, 255}, Side::Darker, 0});
        while (!open_.empty()) {
            std::pop_heap(open_.begin(), open_.end(), FartherFirst);
            const Box box = open_.back();
            open_.pop_back();
            if (FartherThanBest(box.bound)) break;  // so is every box left
            ++boxesOpened;
            Open(box);
        }
        return best_;
    }

private:
    // The ratio falls and then rises with the luminance and is 1 where the two are equal, so the lighter
    // passing colours are those at or above some luminance and the darker ones those at or below another.
    bool Passes(Side side, double luminance) const {
        const double fixed = side == Side::Lighter ? lightest_ : darkest_;
        const bool onSide = side == Side::Lighter ? luminance >= fixed : luminance <= fixed;
        return onSide && ContrastRatioOfLuminances(luminance, fixed) >= level_;
    }

    bool Passes(Side side, const Channels& c) const {
        return Passes(side, RelativeLuminance(ColourOf(c)));
    }

    bool Passes(Rgb c) const {
        const double luminance = RelativeLuminance(c);
        return Passes(Side::Lighter, luminance) || Passes(Side::Darker, luminance);
    }

    bool FartherThanBest(double squaredBound) const {
        return found_ && squaredBound > bestSquared_ + kBoundSlack;
    }

    // Narrows the box to the channel values that can pass on its side: on the lighter side a value passes
    // with some colour of the box only if it passes with the other channels at their highest (on the darker
    // side, their lowest). False when nothing in the box passes.
    bool Narrow(Box& box) const {
        const bool lighter = box.side == Side::Lighter;
        if (!Passes(box.side, lighter ? box.hi : box.lo)) return false;
        if (Passes(box.side, lighter ? box.lo : box.hi)) return true;  // all of it passes
        for (int c = 0; c < 3; ++c) {
            Channels probe = lighter ? box.hi : box.lo;
            probe[c] = lighter ? box.lo[c] : box.hi[c];
            if (Passes(box.side, probe)) continue;  // nothing to narrow in this channel
            int low = box.lo[c], high = box.hi[c];  // the passing end is known to pass
            while (low < high) {
                const int mid = lighter ? (low + high) / 2 : (low + high + 1) / 2;
                probe[c] = static_cast<std::uint8_t>(mid);
                const bool passes = Passes(box.side, probe);
                if (lighter) (passes ? high : low) = passes ? mid : mid + 1;
                else (passes ? low : high) = passes ? mid : mid - 1;
            }
            (lighter ? box.lo[c] : box.hi[c]) = static_cast<std::uint8_t>(low);
        }
        return true;
    }

    // Whether a box whose OKLab coordinates lie in `range` can hold a colour that keeps the hue.
    bool MayKeepHue(const Box& box, const LabRange& range) const {
        const int highestLow = std::max({box.lo[0], box.lo[1], box.lo[2]});
        const int lowestHigh = std::min({box.hi[0], box.hi[1], box.hi[2]});
        if (highestLow <= lowestHigh) return true;  // it holds a grey
        const double a0 = range.least[1], a1 = range.most[1], b0 = range.least[2], b1 = range.most[2];
        if (a0 <= 0 && a1 >= 0 && b0 <= 0 && b1 >= 0) return true;  // every hue, as far as the ranges tell
        // A rectangle away from the origin spans less than half a turn; measure its corners' hues from
        // the original's hue.
        double least = kPi, most = -kPi;
        for (const double a : {a0, a1})
            for (const double b : {b0, b1}) {
                const double gap = HueGap(hue_, std::atan2(b, a));
                least = std::min(least, gap);
                most = std::max(most, gap);
            }
        if (most - least > kPi) return true;  // the corners straddle the opposite hue: keep it, to be safe
        return least <= kHueTolerance + kHueSlack && most >= -kHueTolerance - kHueSlack;
    }

    double SquaredGap(const LabRange& range) const {
        const std::array<double, 3> target{original_.l, original_.a, original_.b};
        double squared = 0;
        for (int k = 0; k < 3; ++k) {
            const double gap = target[k] < range.least[k]  ? range.least[k] - target[k]
                               : target[k] > range.most[k] ? target[k] - range.most[k]
                                                           : 0.0;
            squared += gap * gap;
        }
        return squared;
    }

    void Consider(Box box) {
        if (!Narrow(box)) return;
        const LabRange range = LabRangeOf(box);
        box.bound = SquaredGap(range);
        if (FartherThanBest(box.bound) || !MayKeepHue(box, range)) return;
        open_.push_back(box);
        std::push_heap(open_.begin(), open_.end(), FartherFirst);
    }

    void Open(const Box& box) {
        const int colours =
            (box.hi[0] - box.lo[0] + 1) * (box.hi[1] - box.lo[1] + 1) * (box.hi[2] - box.lo[2] + 1);
        if (colours <= kLeafColours) {
            for (int r = box.lo[0]; r <= box.hi[0]; ++r)
                for (int g = box.lo[1]; g <= box.hi[1]; ++g)
                    for (int b = box.lo[2]; b <= box.hi[2]; ++b)
                        Try(Rgb{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                static_cast<std::uint8_t>(b)});
            return;
        }
        int widest = 0;
        for (int c = 1; c < 3; ++c)
            if (box.hi[c] - box.lo[c] > box.hi[widest] - box.lo[widest]) widest = c;
        const auto middle = static_cast<std::uint8_t>((box.lo[widest] + box.hi[widest]) / 2);
        Box lower = box, upper = box;
        lower.hi[widest] = middle;
        upper.lo[widest] = static_cast<std::uint8_t>(middle + 1);
        Consider(lower);
        Consider(upper);
    }

    void Try(Rgb c) {
        if (!Passes(c)) return;
        const Oklab lab = OklabOf(c);
        if (!greyOnly_ && !IsGrey(c) && !WithinHue(hue_, lab)) return;
        const double squared = SquaredDistance(lab, original_);
        if (found_ && (squared > bestSquared_ || (squared == bestSquared_ && KeyOf(c) > KeyOf(best_)))) return;
        found_ = true;
        bestSquared_ = squared;
        best_ = c;
    }

    Oklab original_;
    double hue_;
    bool greyOnly_;
    double lightest_;
    double darkest_;
    double level_;
    std::vector<Box> open_;
    bool found_ = false;
    double bestSquared_ = 0;
    Rgb best_;
};

// The highest ratio as the tooltip would show it, unless that rounds up to the level it fails: 6.999
// reads 6.99, not 7.00.
std::string UnreachedRatioText(double ratio, double level) {
    const bool roundsToLevel = std::floor(ratio * 100.0 + 0.5) >= level * 100.0;
    return RatioText(roundsToLevel ? std::floor(ratio * 100.0) / 100.0 : ratio);
}

struct PictureLuminances {
    double darkest = 1;
    double lightest = 0;
};

PictureLuminances PictureLuminancesOf(const std::vector<Rgb>& pixels) {
    PictureLuminances range;
    for (const Rgb pixel : pixels) {
        const double luminance = RelativeLuminance(pixel);
        range.darkest = std::min(range.darkest, luminance);
        range.lightest = std::max(range.lightest, luminance);
    }
    return range;
}

// What white reaches against the lightest pixel or black against the darkest, whichever is more: no colour
// lighter or darker than every pixel does better.
double HighestWorstRatioOver(const PictureLuminances& picture) {
    return std::max(ContrastRatioOfLuminances(RelativeLuminance(Rgb{255, 255, 255}), picture.lightest),
                    ContrastRatioOfLuminances(RelativeLuminance(Rgb{0, 0, 0}), picture.darkest));
}

double WorstRatioOver(Rgb colour, const std::vector<Rgb>& pixels) {
    const double luminance = RelativeLuminance(colour);
    double worst = kMaxRatio;
    for (const Rgb pixel : pixels)
        worst = std::min(worst, ContrastRatioOfLuminances(luminance, RelativeLuminance(pixel)));
    return worst;
}

}  // namespace

double RatioOf(ContrastTarget target) noexcept {
    return target == ContrastTarget::Aa ? kAaNormal : kAaaNormal;
}

bool KeepsHue(Rgb original, Rgb candidate) noexcept {
    if (IsGrey(candidate)) return true;
    return !IsGrey(original) && WithinHue(HueOf(OklabOf(original)), OklabOf(candidate));
}

PassingColour NearestPassingColour(Rgb original, Rgb fixed, double level) {
    PassingColour result;
    result.colour = original;
    result.bestRatio = HighestRatioAgainst(fixed);
    result.possible = result.bestRatio >= level;
    result.ratio = ContrastRatio(original, fixed);
    if (!result.possible || result.ratio >= level) return result;

    const double luminance = RelativeLuminance(fixed);
    result.colour = NearestSearch(original, luminance, luminance, level).Run(result.boxesOpened);
    result.ratio = ContrastRatio(result.colour, fixed);
    result.distance = OklabDistance(OklabOf(result.colour), OklabOf(original));
    return result;
}

PassingColour NearestPassingColour(Rgb original, Rgb fixed, ContrastTarget target) {
    return NearestPassingColour(original, fixed, RatioOf(target));
}

PassingColour NearestPassingOver(Rgb original, const std::vector<Rgb>& pixels, ContrastTarget target) {
    PassingColour result;
    result.colour = original;
    if (pixels.empty()) return result;
    const double level = RatioOf(target);
    const PictureLuminances picture = PictureLuminancesOf(pixels);
    result.bestRatio = HighestWorstRatioOver(picture);
    result.possible = result.bestRatio >= level;
    result.ratio = WorstRatioOver(original, pixels);
    if (!result.possible || result.ratio >= level) return result;

    result.colour = NearestSearch(original, picture.lightest, picture.darkest, level).Run(result.boxesOpened);
    result.ratio = WorstRatioOver(result.colour, pixels);
    result.distance = OklabDistance(OklabOf(result.colour), OklabOf(original));
    return result;
}

double HighestRatioAgainst(Rgb fixed) noexcept {
    return std::max(ContrastRatio(Rgb{255, 255, 255}, fixed), ContrastRatio(Rgb{0, 0, 0}, fixed));
}

bool Reachable(ContrastTarget target, Rgb fixed) noexcept {
    return HighestRatioAgainst(fixed) >= RatioOf(target);
}

bool ReachableOver(ContrastTarget target, const std::vector<Rgb>& pixels) {
    return !pixels.empty() && HighestWorstRatioOver(PictureLuminancesOf(pixels)) >= RatioOf(target);
}

std::string AdjustItemText(AdjustedColour which, ContrastTarget target) {
    const bool text = which == AdjustedColour::Text;
    const bool aa = target == ContrastTarget::Aa;
    std::string item = text ? "文字色を " : "背景色を ";
    item += aa ? "AA (4.5:1)" : "AAA (7:1)";
    item += " に合わせる";
    item += text ? (aa ? "(&1)" : "(&2)") : (aa ? "(&3)" : "(&4)");
    return item;
}

std::string AdjustItemText(AdjustedColour which, ContrastTarget target, Rgb fixed) {
    std::string item = AdjustItemText(which, target);
    if (!Reachable(target, fixed))
        item += std::string(" - 不可: ") + (which == AdjustedColour::Text ? "背景色" : "文字色") +
                "に対して白でも黒でも最大 " + UnreachedRatioText(HighestRatioAgainst(fixed), RatioOf(target));
    return item;
}

std::string AdjustTextOverPictureItemText(ContrastTarget target, const std::vector<Rgb>& pixels) {
    std::string item = AdjustItemText(AdjustedColour::Text, target);
    if (pixels.empty()) return item + " - 不可: 文字の下に画像がない";
    const double best = HighestWorstRatioOver(PictureLuminancesOf(pixels));
    if (best < RatioOf(target))
        item += " - 不可: 画像に対して白でも黒でも最低 " + UnreachedRatioText(best, RatioOf(target));
    return item;
}

}  // namespace velmira
