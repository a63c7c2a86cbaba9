#include "ui/GraphicControl.h"

#include "ui/Container.h"
#include "ui/Dpi.h"

namespace ui {

GraphicControl::~GraphicControl() {
    if (parent_) parent_->RemoveGraphic(this);
}

void GraphicControl::Attach(Container& parent, int left, int top, int width, int height) {
    parent_ = &parent;
    layout_ = RECT{left, top, left + width, top + height};
    bounds_ = ScaleLayoutRect(layout_, parent.Dpi());
    parent.AddGraphic(this);
    Invalidate();
}

void GraphicControl::ApplyDpi(UINT dpi) {
    SetBounds(ScaleLayoutRect(layout_, dpi));
}

void GraphicControl::SetBounds(const RECT& bounds) {
    Invalidate();
    bounds_ = bounds;
    Invalidate();
}

void GraphicControl::Invalidate() const {
    if (parent_ && parent_->Handle()) ::InvalidateRect(parent_->Handle(), &bounds_, FALSE);
}

}  // namespace ui
