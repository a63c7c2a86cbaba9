#include "colorwindows/ContrastDetailsForm.h"

#include <algorithm>

#include "colorwindows/ContrastTipDrawing.h"
#include "color/VisionDeficiency.h"
#include "ui/Application.h"
#include "ui/Dpi.h"
#include "ui/UniqueHandle.h"

namespace {

constexpr char kCaption[] = "コントラストの詳細";
// 96-DPI figures: the margins, the column of samples on the right, and the smallest client area.
constexpr int kMargin = 8;
constexpr int kSampleWidth = 72;
constexpr int kSampleHeight = 28;
constexpr int kNameHeight = 16;
constexpr int kSampleGap = 8;
constexpr int kMinWidth = 240;
constexpr int kMinHeight = 160;

ui::FormLayout DetailsLayout(HWND owner, const TContrastDetailsForm::Place& place) {
    ui::FormLayout layout;
    layout.caption = kCaption;
    layout.left = place.left;
    layout.top = place.top;
    layout.width = std::max(place.width, kMinWidth);
    layout.height = std::max(place.height, kMinHeight);
    layout.border = ui::FormBorder::Sizeable;
    layout.minimizeBox = false;
    layout.topmost = true;  // it stands beside the main window, which is always on top
    layout.owner = owner;
    return layout;
}

// The multi-line edit breaks lines at CR LF only; the content's line ends are LF, which is never the trail byte
// of a double-byte character.
std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

TContrastDetailsForm::TContrastDetailsForm(HWND owner, velmira::ContrastSource& source, const Place& place)
    : source_(source) {
    Create(DetailsLayout(owner, place));
    KeepOnScreen();
    Text.CreateReadOnlyText(*this, {ui::kFace, 12, false});
    Text.SetAccessibleName(kCaption);
    AddShortcut(0, VK_ESCAPE, [this] { Close(); });
    LayOut();
}

// A place saved on a monitor that is gone, or on a smaller or more scaled one, would leave the window
// partly or wholly off the screen: it moves onto the work area of the nearest monitor, its top-left corner first.
void TContrastDetailsForm::KeepOnScreen() {
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    const int left = std::max<int>(std::min<int>(r.left, work.right - (r.right - r.left)), work.left);
    const int top = std::max<int>(std::min<int>(r.top, work.bottom - (r.bottom - r.top)), work.top);
    if (left != r.left || top != r.top)
        ::SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TContrastDetailsForm::ShowDetails() {
    Refresh();
    if (Visible()) {
        ::SetActiveWindow(Handle());
    } else {
        Show();
    }
    ::SetFocus(Text.Handle());
}

void TContrastDetailsForm::ColoursChanged() {
    if (Visible()) Refresh();
}

void TContrastDetailsForm::Refresh() {
    content_ = velmira::ContentOf(source_);
    Text.SetTextIfChanged(WithCrLf(content_.text));
    RECT column{};
    ::GetClientRect(Handle(), &column);
    column.left = SampleColumnLeft();
    ::InvalidateRect(Handle(), &column, FALSE);
}

TContrastDetailsForm::Place TContrastDetailsForm::CurrentPlace() const {
    RECT window{}, client{};
    ::GetWindowRect(Handle(), &window);
    ::GetClientRect(Handle(), &client);
    const UINT dpi = Dpi();
    return Place{ui::UnscaleLayout(window.left, dpi), ui::UnscaleLayout(window.top, dpi),
                 ui::UnscaleLayout(client.right, dpi), ui::UnscaleLayout(client.bottom, dpi)};
}

int TContrastDetailsForm::SampleColumnLeft() const {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    return client.right - Scale(kMargin) - Scale(kSampleWidth);
}

// The text takes what the column of samples leaves.
void TContrastDetailsForm::LayOut() {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const int margin = Scale(kMargin);
    const int right = std::max<int>(SampleColumnLeft() - margin, margin);
    const int bottom = std::max<int>(client.bottom - margin, margin);
    Text.SetBounds(margin, margin, right - margin, bottom - margin);
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

std::vector<RECT> TContrastDetailsForm::SampleRects() const {
    std::vector<RECT> rects;
    const int left = SampleColumnLeft();
    int top = Scale(kMargin);
    for (std::size_t i = 0; i < content_.visions.size(); ++i) {
        top += Scale(kNameHeight);
        rects.push_back(RECT{left, top, left + Scale(kSampleWidth), top + Scale(kSampleHeight)});
        top += Scale(kSampleHeight) + Scale(kSampleGap);
    }
    return rects;
}

// Each sample under its vision's name, in the system's colours around the colours that vision sees.
void TContrastDetailsForm::PaintBackground(HDC dc, const RECT& client) {
    ui::Form::PaintBackground(dc, client);
    ui::Application& app = ui::Application::Get();
    const HFONT nameFont = app.Font({ui::kFace, 12, false}, Dpi());
    const HFONT sampleFont = app.Font({ui::kFace, 12, true}, Dpi());
    const std::vector<RECT> samples = SampleRects();
    ::SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const velmira::VisionSample& vision = content_.visions[i];
        RECT name{samples[i].left, samples[i].top - Scale(kNameHeight), client.right, samples[i].top};
        {
            const ui::ScopedSelectObject select(dc, nameFont);
            ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
            ::DrawTextA(dc, velmira::VisionName(vision.vision), -1, &name,
                        DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
        }
        velmira::PaintVisionSample(dc, samples[i], vision, sampleFont);
    }
}

void TContrastDetailsForm::OnDpiChanged() {
    LayOut();
}

LRESULT TContrastDetailsForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        if (Text.Handle()) LayOut();
        break;
    case WM_GETMINMAXINFO: {
        const RECT frame = ui::FrameAround(RECT{0, 0, Scale(kMinWidth), Scale(kMinHeight)},
                                           static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_STYLE)),
                                           static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_EXSTYLE)), Dpi());
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = POINT{frame.right - frame.left, frame.bottom - frame.top};
        return 0;
    }
    default:
        break;
    }
    return ui::Form::HandleMessage(msg, wParam, lParam);
}
