#include "ui/Image.h"

#include <algorithm>

#include "ui/Container.h"

namespace ui {

void Image::Create(Container& parent, int left, int top, int width, int height) {
    Attach(parent, left, top, width, height);
}

Canvas& Image::Picture() {
    if (!picture_) {
        const RECT r = Bounds();
        picture_ = std::make_unique<Canvas>(r.right - r.left, r.bottom - r.top);
    }
    return *picture_;
}

void Image::SetPicture(std::unique_ptr<Canvas> picture) {
    picture_ = std::move(picture);
    Invalidate();
}

void Image::Paint(HDC dc) {
    if (!picture_) return;
    const RECT r = Bounds();
    const int width = std::min<int>(r.right - r.left, picture_->Width());
    const int height = std::min<int>(r.bottom - r.top, picture_->Height());
    ::BitBlt(dc, r.left, r.top, width, height, picture_->DC(), 0, 0, SRCCOPY);
}

}  // namespace ui
