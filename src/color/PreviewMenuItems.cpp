#include "color/PreviewMenuItems.h"

#include "color/NearestPassing.h"

namespace velmira {
namespace {

constexpr char kPictureReason[] = " - 不可: 背景に画像を使用中";

PreviewMenuItem AdjustItem(PreviewCommand command, AdjustedColour which, ContrastTarget target, Rgb fixed) {
    return {command, AdjustItemText(which, target, fixed), Reachable(target, fixed)};
}

}  // namespace

std::vector<PreviewMenuItem> PreviewMenuItems(Rgb text, Rgb background,
                                              const std::vector<Rgb>* pictureUnderText) {
    constexpr char kSwap[] = "文字色と背景色を入れ替える(&S)";
    std::vector<PreviewMenuItem> items;
    if (!pictureUnderText) {
        items.push_back(AdjustItem(PreviewCommand::TextAa, AdjustedColour::Text, ContrastTarget::Aa, background));
        items.push_back(AdjustItem(PreviewCommand::TextAaa, AdjustedColour::Text, ContrastTarget::Aaa, background));
        items.push_back(AdjustItem(PreviewCommand::BackgroundAa, AdjustedColour::Background, ContrastTarget::Aa, text));
        items.push_back(
            AdjustItem(PreviewCommand::BackgroundAaa, AdjustedColour::Background, ContrastTarget::Aaa, text));
        items.push_back({PreviewCommand::Swap, kSwap, true});
    } else {
        for (const ContrastTarget target : {ContrastTarget::Aa, ContrastTarget::Aaa})
            items.push_back({target == ContrastTarget::Aa ? PreviewCommand::TextAa : PreviewCommand::TextAaa,
                             AdjustTextOverPictureItemText(target, *pictureUnderText),
                             ReachableOver(target, *pictureUnderText)});
        items.push_back({PreviewCommand::BackgroundAa,
                         AdjustItemText(AdjustedColour::Background, ContrastTarget::Aa) + kPictureReason, false});
        items.push_back({PreviewCommand::BackgroundAaa,
                         AdjustItemText(AdjustedColour::Background, ContrastTarget::Aaa) + kPictureReason, false});
        items.push_back({PreviewCommand::Swap, std::string(kSwap) + kPictureReason, false});
    }
    items.push_back({PreviewCommand::CopyCss, "CSS としてコピー(&C)", true});
    return items;
}

}  // namespace velmira
