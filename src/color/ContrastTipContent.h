#pragma once
// Everything the preview's tooltip and the contrast details show, for a colour pair or for the text over a
// picture: the WCAG lines (ColourPairTipText / PictureTipText, unchanged), the APCA Lc and the use it allows,
// and the pair as seen with each colour-vision deficiency, the worst marked; with the colours to draw a sample
// of each, and a one-line summary.
#include <string>
#include <vector>

#include "color/ContrastSource.h"
#include "color/Rgb.h"
#include "color/VisionDeficiency.h"

namespace velmira {

struct VisionSample {
    Vision vision = Vision::Protanopia;
    Rgb text;          // the text colour as seen with the vision
    Rgb background;    // the background as seen; over a picture, the pixel under the text of the lowest ratio
    double ratio = 0;  // the WCAG ratio of the two; over a picture, the lowest over the pixels
    double lc = 0;     // the APCA Lc; over a picture, the one of the smallest magnitude
    bool worst = false;  // the lowest ratio of the visions; none is marked when all three are equal
};

struct ContrastTipContent {
    std::string text;  // lines separated by "\n"; the last visions.size() lines are the visions', in order
    std::vector<VisionSample> visions;  // empty when no pixel of the picture lies under the text
    // One line for a screen reader: the ratio, the highest WCAG level it meets and the APCA Lc
    // ("21.00:1 AAA, Lc 106.0"); over a picture the worst of each ("最低 4.60:1 AA, Lc 65.0").
    std::string summary;
    // The ratio and the Lc the text sizes are judged by: the pair's, or over a picture the worst of each; not
    // set (`judged` false) when no pixel of the picture lies under the text.
    bool judged = false;
    double ratio = 0;
    double lc = 0;
};

ContrastTipContent PairTipContent(Rgb text, Rgb background);
// `pixels` are the picture's pixels under the sample text.
ContrastTipContent PictureTipContent(Rgb text, std::vector<Rgb> pixels);
// The content for the pair or the picture as the source has them when asked.
ContrastTipContent ContentOf(ContrastSource& source);

}  // namespace velmira
