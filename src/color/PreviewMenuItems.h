#pragma once
// The items of the preview's right-click menu, in their order, and which of them can be chosen for the pair as
// it stands.
//
// While a picture is the background, the background colour is not what the user sees and its editors are
// disabled: the items that change it (its two levels and the swap) are greyed out, and the text colour's
// levels are met against every pixel of the picture under the sample text. The pair can be copied as
// CSS, where the background colour is what shows before the picture is loaded.
#include <string>
#include <vector>

#include "color/Rgb.h"

namespace velmira {

enum class PreviewCommand { TextAa = 1, TextAaa, BackgroundAa, BackgroundAaa, Swap, CopyCss };

struct PreviewMenuItem {
    PreviewCommand command;
    std::string text;  // with its access key; a greyed-out item says why after its usual text
    bool enabled;
};

// `pictureUnderText` holds the picture's pixels under the sample text while a picture is the background, and is
// null otherwise.
std::vector<PreviewMenuItem> PreviewMenuItems(Rgb text, Rgb background,
                                              const std::vector<Rgb>* pictureUnderText);

}  // namespace velmira
