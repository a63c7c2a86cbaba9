#pragma once
// A control without a window of its own (label, image): its container paints it and routes mouse presses to it.
// Its rectangle is a 96-DPI figure, scaled for its container's DPI.
#include <windows.h>

#include "ui/DragEvents.h"

namespace ui {

class Container;

class GraphicControl {
public:
    GraphicControl() = default;
    GraphicControl(const GraphicControl&) = delete;
    GraphicControl& operator=(const GraphicControl&) = delete;
    virtual ~GraphicControl();

    // The rectangle is a 96-DPI figure, scaled for the parent's DPI.
    void Attach(Container& parent, int left, int top, int width, int height);
    Container* Parent() const noexcept { return parent_; }
    // In the parent's client area, in its pixels.
    RECT Bounds() const noexcept { return bounds_; }
    void SetBounds(const RECT& bounds);
    void Invalidate() const;

    DragEvents Drag;

protected:
    friend class Container;
    virtual void Paint(HDC dc) = 0;
    // The rectangle of the layout at `dpi`.
    virtual void ApplyDpi(UINT dpi);

private:
    Container* parent_ = nullptr;
    RECT layout_{};  // at 96 DPI
    RECT bounds_{};
};

}  // namespace ui
