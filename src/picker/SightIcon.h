#pragma once
// The pick icons' picture: the sight that the scope window draws. On a scaled display it is enlarged by the
// largest whole factor that fits the icon (nearest neighbour, so that its lines stay crisp) and centred on its
// own background colour.
#include "ui/Image.h"

namespace velmira {

// Draws the sight into `icon`, filling the icon's size, its lines in the system's grey text colour when the icon
// is not `enabled`; an icon without area is left as it is.
void ShowSightIn(ui::Image& icon, bool enabled = true);

}  // namespace velmira
