#include "color/ContrastTip.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

// Wide enough for the longest line; a set width is also what makes the tooltip break lines at "\n".
constexpr int kMaxTipWidth = 320;
// The tip stays while the pointer rests on the preview, so that it can be read while a colour is typed.
constexpr int kAutoPopMs = 32767;

}  // namespace

std::vector<velmira::Rgb> PicturePixelsUnder(ui::Image& image, const ui::Label& label) {
    ui::Canvas& picture = image.Picture();
    const RECT imageBounds = image.Bounds();
    const RECT labelBounds = label.Bounds();
    const int width = std::min<int>(picture.Width(), imageBounds.right - imageBounds.left);
    const int height = std::min<int>(picture.Height(), imageBounds.bottom - imageBounds.top);
    const int left = std::max<int>(labelBounds.left - imageBounds.left, 0);
    const int top = std::max<int>(labelBounds.top - imageBounds.top, 0);
    const int right = std::min<int>(labelBounds.right - imageBounds.left, width);
    const int bottom = std::min<int>(labelBounds.bottom - imageBounds.top, height);

    std::vector<velmira::Rgb> pixels;
    if (right <= left || bottom <= top) return pixels;
    pixels.reserve(static_cast<std::size_t>(right - left) * static_cast<std::size_t>(bottom - top));
    ::GdiFlush();  // GDI may still be drawing into the section
    for (int y = top; y < bottom; ++y) {
        const std::uint32_t* row = picture.Row(y);
        for (int x = left; x < right; ++x) {
            const std::uint32_t p = row[x];
            pixels.push_back(velmira::Rgb{static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                                          static_cast<std::uint8_t>(p)});
        }
    }
    return pixels;
}

ContrastTip::ContrastTip(HWND owner, HWND tool, ContrastSource& source) : tool_(tool), source_(source) {
    CreateStandard(TOOLTIPS_CLASSA, WS_EX_TOPMOST, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, owner, "",
                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, 0);
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
    // Setting the callback again makes the shown tip ask for its text and fit its size to it.
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = Handle();
    info.uId = reinterpret_cast<UINT_PTR>(tool_);
    info.lpszText = LPSTR_TEXTCALLBACKA;
    ::SendMessageA(Handle(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void ContrastTip::FillDisplayInfo(NMHDR* header) {
    text_ = MakeText();
    ++computations_;
    if (header->code == TTN_GETDISPINFOA) {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
        info->hinst = nullptr;
        info->lpszText = text_.data();  // longer than szText; the tooltip copies it before we change it
        return;
    }
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    const int length = ::MultiByteToWideChar(932, 0, text_.c_str(), -1, nullptr, 0);
    wideText_.assign(static_cast<std::size_t>(std::max(length, 1)), L'\0');
    ::MultiByteToWideChar(932, 0, text_.c_str(), -1, wideText_.data(), length);
    info->hinst = nullptr;
    info->lpszText = wideText_.data();
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
    default:
        break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

std::string ContrastTip::MakeText() {
    const velmira::Rgb text = source_.TextColour();
    if (!source_.PictureInUse()) return velmira::ColourPairTipText(text, source_.BackgroundColour());
    return velmira::PictureTipText(velmira::PictureContrastOf(text, source_.PixelsUnderText()));
}
