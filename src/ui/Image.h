#pragma once
// An image drawn by its container from its own off-screen canvas, one canvas pixel to a screen pixel. When the
// DPI changes the control takes its new size and keeps its picture; its owner draws a new one for the new size.
#include <windows.h>

#include <memory>

#include "ui/Canvas.h"
#include "ui/GraphicControl.h"

namespace ui {

class Image : public GraphicControl {
public:
    void Create(Container& parent, int left, int top, int width, int height);
    // The picture, created at the control's size on first use (and after SetPicture(nullptr)).
    Canvas& Picture();
    void SetPicture(std::unique_ptr<Canvas> picture);

protected:
    void Paint(HDC dc) override;

private:
    std::unique_ptr<Canvas> picture_;
};

}  // namespace ui
