#include "color/ContrastTipContent.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "color/Apca.h"
#include "color/Contrast.h"

namespace velmira {
namespace {

std::string ApcaLine(const char* lead, double lc) {
    return std::string(lead) + LcText(lc) + " → " + ApcaUseText(ApcaUseOf(lc));
}

VisionSample PairSeenWith(Vision vision, Rgb text, Rgb background) {
    VisionSample sample;
    sample.vision = vision;
    sample.text = SimulateVision(vision, text);
    sample.background = SimulateVision(vision, background);
    sample.ratio = ContrastRatio(sample.text, sample.background);
    sample.lc = ApcaContrast(sample.text, sample.background);
    return sample;
}

VisionSample PictureSeenWith(Vision vision, Rgb text, const std::vector<Rgb>& pixels) {
    VisionSample sample;
    sample.vision = vision;
    sample.text = SimulateVision(vision, text);
    const double textLuminance = RelativeLuminance(sample.text);
    const double textApcaLuminance = ApcaLuminance(sample.text);
    bool first = true;
    for (const Rgb& pixel : pixels) {
        const Rgb seen = SimulateVision(vision, pixel);
        const double ratio = ContrastRatioOfLuminances(textLuminance, RelativeLuminance(seen));
        const double lc = ApcaContrastOfLuminances(textApcaLuminance, ApcaLuminance(seen));
        if (first || ratio < sample.ratio) {
            sample.ratio = ratio;
            sample.background = seen;
        }
        if (first || std::fabs(lc) < std::fabs(sample.lc)) sample.lc = lc;
        first = false;
    }
    return sample;
}

// A mark that every vision would carry tells nothing (a grey pair looks the same to all of them).
void MarkWorst(std::vector<VisionSample>& samples) {
    const auto byRatio = [](const VisionSample& a, const VisionSample& b) { return a.ratio < b.ratio; };
    const double lowest = std::min_element(samples.begin(), samples.end(), byRatio)->ratio;
    const double highest = std::max_element(samples.begin(), samples.end(), byRatio)->ratio;
    if (lowest == highest) return;
    for (VisionSample& sample : samples) sample.worst = sample.ratio == lowest;
}

void AppendVisionLines(ContrastTipContent& content, const char* lead) {
    for (const VisionSample& sample : content.visions) {
        content.text += std::string("\n") + VisionName(sample.vision) + lead + RatioText(sample.ratio) + " / " +
                        LcText(sample.lc);
        if (sample.worst) content.text += " ← 最も低い";
    }
}

// The highest level the ratio meets, for normal text where it can.
const char* LevelText(double ratio) {
    const ContrastLevels levels = LevelsOf(ratio);
    if (levels.aaaNormal) return "AAA";
    if (levels.aaNormal) return "AA";
    if (levels.aaLarge) return "AA 大きな文字のみ";
    return "基準未満";
}

std::string SummaryOf(double ratio, double lc) {
    return RatioText(ratio) + " " + LevelText(ratio) + ", " + LcText(lc);
}

}  // namespace

ContrastTipContent PairTipContent(Rgb text, Rgb background) {
    ContrastTipContent content;
    const double lc = ApcaContrast(text, background);
    content.judged = true;
    content.ratio = ContrastRatio(text, background);
    content.lc = lc;
    content.summary = SummaryOf(content.ratio, lc);
    content.text = ColourPairTipText(text, background);
    content.text += "\n" + ApcaLine("APCA ", lc);
    for (const Vision vision : kDeficientVisions) content.visions.push_back(PairSeenWith(vision, text, background));
    MarkWorst(content.visions);
    AppendVisionLines(content, " ");
    return content;
}

ContrastTipContent PictureTipContent(Rgb text, std::vector<Rgb> pixels) {
    ContrastTipContent content;
    if (!pixels.empty()) {
        for (const Vision vision : kDeficientVisions) content.visions.push_back(PictureSeenWith(vision, text, pixels));
        MarkWorst(content.visions);
    }
    const double worstLc = WorstApcaContrastOver(text, pixels);
    const PictureContrast contrast = PictureContrastOf(text, std::move(pixels));
    content.text = PictureTipText(contrast);
    if (content.visions.empty()) {
        content.summary = content.text.substr(content.text.rfind('\n') + 1);  // no pixel under the text
        return content;
    }
    content.judged = true;
    content.ratio = contrast.worst;
    content.lc = worstLc;
    content.summary = "最低 " + SummaryOf(contrast.worst, worstLc);
    content.text += "\n" + ApcaLine("APCA 最低 ", worstLc);
    AppendVisionLines(content, " 最低 ");
    return content;
}

ContrastTipContent ContentOf(ContrastSource& source) {
    const Rgb text = source.TextColour();
    return source.PictureInUse() ? PictureTipContent(text, source.PixelsUnderText())
                                 : PairTipContent(text, source.BackgroundColour());
}

}  // namespace velmira
