#include "picker/SightIcon.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "picker/ScopeForm.h"
#include "ui/Canvas.h"
#include "ui/UniqueHandle.h"

namespace velmira {
namespace {

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    ::GetObjectA(bitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

// A disabled icon as the system draws a disabled control's text: what is not background is grey.
void GreyOut(ui::Canvas& canvas) {
    const std::uint32_t ground = canvas.Row(0)[0] & 0xFFFFFF;
    const COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT);
    const std::uint32_t greyPixel = (std::uint32_t{GetRValue(grey)} << 16) | (std::uint32_t{GetGValue(grey)} << 8) |
                                    GetBValue(grey);
    for (int y = 0; y < canvas.Height(); ++y) {
        std::uint32_t* row = canvas.Row(y);
        for (int x = 0; x < canvas.Width(); ++x)
            if ((row[x] & 0xFFFFFF) != ground) row[x] = greyPixel;
    }
}

}  // namespace

void ShowSightIn(ui::Image& icon, bool enabled) {
    const RECT bounds = icon.Bounds();
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    ui::UniqueBitmap sight = TScopeForm::SightPicture(1);
    const SIZE natural = BitmapSize(sight.get());
    if (natural.cx <= 0 || natural.cy <= 0 || width <= 0 || height <= 0) return;
    const int factor = std::max<int>(1, std::min<int>(width / natural.cx, height / natural.cy));
    if (factor > 1) sight = TScopeForm::SightPicture(factor);
    const SIZE size = BitmapSize(sight.get());
    auto canvas = std::make_unique<ui::Canvas>(width, height);
    ui::UniqueMemoryDC source(::CreateCompatibleDC(canvas->DC()));
    ui::ScopedSelectObject select(source.get(), sight.get());
    canvas->Fill(::GetPixel(source.get(), 0, 0));
    ::BitBlt(canvas->DC(), (width - size.cx) / 2, (height - size.cy) / 2, size.cx, size.cy, source.get(), 0, 0,
             SRCCOPY);
    ::GdiFlush();  // the blit is in the pixels before they are read
    if (!enabled) GreyOut(*canvas);
    icon.SetPicture(std::move(canvas));
}

}  // namespace velmira
