#pragma once
// What the preview's tooltip and menu work on, asked each time they need it: the preview's two colours, and
// while a picture is in use the picture's pixels under the sample text. The main window answers.
#include <vector>

#include "color/Rgb.h"

namespace velmira {

class ContrastSource {
public:
    virtual Rgb TextColour() = 0;
    virtual Rgb BackgroundColour() = 0;
    virtual bool PictureInUse() = 0;
    virtual std::vector<Rgb> PixelsUnderText() = 0;

protected:
    ~ContrastSource() = default;
};

}  // namespace velmira
