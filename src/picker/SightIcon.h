#pragma once
// The pick icons' picture: the sight that the scope window draws. On a scaled display it is enlarged by the
// largest whole factor that fits the icon (nearest neighbour, so that its lines stay crisp) and centred on its
// own background colour.
#include "ui/Image.h"

namespace velmira {

// Draws the sight into `icon`, filling the icon's size; an icon without area is left as it is.
void ShowSightIn(ui::Image& icon);

}  // namespace velmira
