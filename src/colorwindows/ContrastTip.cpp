#include "colorwindows/ContrastTip.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "text/SystemText.h"
#include "ui/BufferedPaint.h"
#include "ui/Dpi.h"
#include "ui/UniqueHandle.h"

namespace velmira {

namespace {

// The tooltip measures its text for a place of its own before the tip sets the size; with a width set it breaks
// the lines at "\n" and so proposes a place near the one the tip ends up in.
constexpr int kMaxTipWidth = 320;
// The tip stays while the pointer rests on the preview, so that it can be read while a colour is typed.
constexpr int kAutoPopMs = 32767;
// The gap between the pointer and a tip that goes above it, a 96-DPI figure.
constexpr int kPointerGap = 4;

RECT WorkAreaAt(POINT point) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

}  // namespace

std::vector<Rgb> PicturePixelsUnder(ui::Image& image, const ui::Label& label) {
    ui::Canvas& picture = image.Picture();
    const RECT imageBounds = image.Bounds();
    const RECT labelBounds = label.Bounds();
    const int width = std::min<int>(picture.Width(), imageBounds.right - imageBounds.left);
    const int height = std::min<int>(picture.Height(), imageBounds.bottom - imageBounds.top);
    const int left = std::max<int>(labelBounds.left - imageBounds.left, 0);
    const int top = std::max<int>(labelBounds.top - imageBounds.top, 0);
    const int right = std::min<int>(labelBounds.right - imageBounds.left, width);
    const int bottom = std::min<int>(labelBounds.bottom - imageBounds.top, height);

    std::vector<Rgb> pixels;
    if (right <= left || bottom <= top) return pixels;
    pixels.reserve(static_cast<std::size_t>(right - left) * static_cast<std::size_t>(bottom - top));
    ::GdiFlush();  // GDI's drawing into the section ends first
    for (int y = top; y < bottom; ++y) {
        const std::uint32_t* row = picture.Row(y);
        for (int x = left; x < right; ++x) {
            const std::uint32_t p = row[x];
            pixels.push_back(Rgb{static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                                          static_cast<std::uint8_t>(p)});
        }
    }
    return pixels;
}

ContrastTip::ContrastTip(HWND owner, HWND tool, ContrastSource& source) : tool_(tool), source_(source) {
    // No fading or sliding in: the tip paints itself, and a shown tip takes new content at once.
    CreateStandard(TOOLTIPS_CLASSA, WS_EX_TOPMOST, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_NOANIMATE | TTS_NOFADE,
                   owner, "", CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, 0);
    // The main window is always on top; its tooltip must come above it.
    ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SendMessageA(Handle(), TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    ::SendMessageA(Handle(), TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kAutoPopMs, 0));
    AddTool();
}

void ContrastTip::AddTool() {
    // The tooltip sends its notifications to itself, where our subclass answers them: the tip needs nothing
    // from the main window's message handling. Version 5 of the common controls refuses the larger
    // structure of version 6, so the size is the one both take.
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = Handle();
    info.uId = reinterpret_cast<UINT_PTR>(tool_);
    info.lpszText = LPSTR_TEXTCALLBACKA;
    if (!::SendMessageA(Handle(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)))
        throw std::runtime_error("TTM_ADDTOOL failed");
}

bool ContrastTip::Shown() const {
    return Handle() && ::IsWindowVisible(Handle());
}

void ContrastTip::ColoursChanged() {
    ++colourChanges_;
    if (!Shown()) return;
    // Setting the callback again makes the shown tooltip ask for its text; one that would keep its text until
    // it next shows gets the new content all the same.
    const std::size_t before = computations_;
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = Handle();
    info.uId = reinterpret_cast<UINT_PTR>(tool_);
    info.lpszText = LPSTR_TEXTCALLBACKA;
    ::SendMessageA(Handle(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
    if (computations_ == before) MakeContent();
    // The new content may need another size (a line gains its mark); the tooltip may not move the window.
    const SIZE size = WindowSize();
    ::SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void ContrastTip::MakeContent() {
    content_ = ContentOf(source_);
    ++computations_;
    drawing_.Lay(content_, ui::Window::DpiOf(tool_));
}

void ContrastTip::FillDisplayInfo(NMHDR* header) {
    MakeContent();
    if (header->code == TTN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
        info->hinst = nullptr;
        info->lpszText = content_.text.data();  // longer than szText; the tooltip copies it before we change it
        return;
    }
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    wideText_ = WideText(content_.text);
    info->hinst = nullptr;
    info->lpszText = wideText_.data();
}

SIZE ContrastTip::WindowSize() const {
    const SIZE client = drawing_.Size();
    RECT frame{0, 0, 0, 0};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_EXSTYLE)));
    SIZE border{frame.right - frame.left, frame.bottom - frame.top};
    // A themed tooltip may keep other margins for its frame than its style tells: once the window is larger
    // than its frame, what it keeps is measured.
    RECT window{}, inside{};
    ::GetWindowRect(Handle(), &window);
    ::GetClientRect(Handle(), &inside);
    if (window.right - window.left > border.cx && window.bottom - window.top > border.cy)
        border = SIZE{(window.right - window.left) - inside.right, (window.bottom - window.top) - inside.bottom};
    return SIZE{client.cx + border.cx, client.cy + border.cy};
}

void ContrastTip::FitPosition(WINDOWPOS& position) {
    if (!drawing_.Laid()) return;
    RECT current{};
    ::GetWindowRect(Handle(), &current);
    const SIZE size = WindowSize();
    int x = (position.flags & SWP_NOMOVE) ? current.left : position.x;
    int y = (position.flags & SWP_NOMOVE) ? current.top : position.y;
    POINT pointer{};
    ::GetCursorPos(&pointer);
    const RECT work = WorkAreaAt(pointer);
    x = std::max<int>(std::min<int>(x, work.right - size.cx), work.left);
    // The tooltip placed the tip for its own, smaller size. A tip that would run off the bottom at the drawing's
    // size goes above the pointer, and so does one that would cover it: the mouse would move onto the tip and
    // hide it. Where there is no room above, the tip goes below the pointer's picture.
    const int gap = ui::ScaleLayout(kPointerGap, ui::Window::DpiOf(tool_));
    const bool coversPointer = x <= pointer.x && pointer.x < x + size.cx && y <= pointer.y && pointer.y < y + size.cy;
    if (y + size.cy > work.bottom || coversPointer) y = pointer.y - gap - size.cy;
    if (y < work.top) y = pointer.y + ::GetSystemMetrics(SM_CYCURSOR);
    position.x = x;
    position.y = y;
    position.cx = size.cx;
    position.cy = size.cy;
    position.flags &= ~static_cast<UINT>(SWP_NOMOVE | SWP_NOSIZE);
}

void ContrastTip::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    // Version 6 of the common controls draws a themed tip without the window border that version 5 adds.
    const bool bordered = (::GetWindowLongA(Handle(), GWL_STYLE) & WS_BORDER) != 0;
    drawing_.Paint(dc, client, !bordered);
}

LRESULT ContrastTip::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NOTIFYFORMAT:
        // The tooltip asks its notification window (itself) which character set its notifications take.
        if (lParam == NF_QUERY) return NFR_ANSI;
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (!header || header->hwndFrom != Handle()) break;
        if (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW) FillDisplayInfo(header);
        return 0;  // the default for every other notification (show, pop, custom draw)
    }
    case WM_WINDOWPOSCHANGING:
        FitPosition(*reinterpret_cast<WINDOWPOS*>(lParam));
        break;  // the tooltip's own handling goes on with the place and size set
    case WM_PAINT:
        // Buffered, as the preview paints, so that a tip taking new content does not flicker.
        ui::PaintBuffered(Handle(), [this](HDC dc) { Paint(dc); });
        return 0;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
    default:
        break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace velmira
