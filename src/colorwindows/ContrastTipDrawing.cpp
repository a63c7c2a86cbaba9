#include "colorwindows/ContrastTipDrawing.h"

#include <algorithm>

#include "ui/Application.h"
#include "ui/Dpi.h"
#include "ui/UniqueHandle.h"

namespace velmira {

namespace {

// 96-DPI figures.
constexpr int kTextHeight = 12;
constexpr int kPadding = 4;
constexpr int kLineGap = 2;
constexpr int kSampleWidth = 48;
constexpr int kSampleHeight = 18;
constexpr int kSampleGap = 6;
// Latin and kana, in the sample text's weight, so that both kinds of glyph show how they read.
constexpr char kSampleText[] = "Aaあ";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);  // '\n' is never a trail byte in code page 932
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

COLORREF ColorOf(Rgb c) {
    return RGB(c.red, c.green, c.blue);
}

}  // namespace

void ContrastTipDrawing::Lay(const ContrastTipContent& content, UINT dpi) {
    const auto scaled = [dpi](int value) { return ui::ScaleLayout(value, dpi); };
    ui::Application& app = ui::Application::Get();
    font_ = app.Font({ui::kFace, scaled(kTextHeight), false});
    sampleFont_ = app.Font({ui::kFace, scaled(kTextHeight), true});
    visions_ = content.visions;

    const std::vector<std::string> texts = SplitLines(content.text);
    // The last lines are the visions', one each.
    const std::size_t firstVision = texts.size() - std::min(texts.size(), visions_.size());
    const ui::ScopedGetDC screen(nullptr);
    const ui::ScopedSelectObject select(screen.get(), font_);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(screen.get(), &metrics);

    const int padding = scaled(kPadding);
    const int sampleWidth = scaled(kSampleWidth), sampleHeight = scaled(kSampleHeight);
    lines_.clear();
    int top = padding, right = padding;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        Line line;
        line.text = texts[i];
        int left = padding, height = metrics.tmHeight;
        if (i >= firstVision) {
            line.vision = static_cast<int>(i - firstVision);
            height = std::max(height, sampleHeight);
            const int sampleTop = top + (height - sampleHeight) / 2;
            line.sample = RECT{left, sampleTop, left + sampleWidth, sampleTop + sampleHeight};
            left += sampleWidth + scaled(kSampleGap);
        }
        SIZE extent{};
        ::GetTextExtentPoint32A(screen.get(), line.text.c_str(), static_cast<int>(line.text.size()), &extent);
        line.textAt = POINT{left, top + (height - metrics.tmHeight) / 2};
        right = std::max<int>(right, left + extent.cx);
        top += height + scaled(kLineGap);
        lines_.push_back(std::move(line));
    }
    size_ = SIZE{right + padding, top - scaled(kLineGap) + padding};
}

std::vector<RECT> ContrastTipDrawing::SampleRects() const {
    std::vector<RECT> rects;
    for (const Line& line : lines_)
        if (line.vision >= 0) rects.push_back(line.sample);
    return rects;
}

void ContrastTipDrawing::Paint(HDC dc, const RECT& client, bool frame) const {
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_INFOBK));
    if (frame) ::FrameRect(dc, &client, ::GetSysColorBrush(COLOR_INFOTEXT));
    ::SetBkMode(dc, TRANSPARENT);
    for (const Line& line : lines_) {
        if (line.vision >= 0)
            PaintVisionSample(dc, line.sample, visions_[static_cast<std::size_t>(line.vision)], sampleFont_);
        const ui::ScopedSelectObject select(dc, font_);
        ::SetTextColor(dc, ::GetSysColor(COLOR_INFOTEXT));
        ::TextOutA(dc, line.textAt.x, line.textAt.y, line.text.c_str(), static_cast<int>(line.text.size()));
    }
}

void PaintVisionSample(HDC dc, const RECT& sample, const VisionSample& vision, HFONT font) {
    const ui::UniqueBrush background(::CreateSolidBrush(ColorOf(vision.background)));
    ::FillRect(dc, &sample, background ? background.get() : ::GetSysColorBrush(COLOR_INFOBK));
    // Framed, so that a sample as light or as dark as the window around it shows its edge.
    ::FrameRect(dc, &sample, ::GetSysColorBrush(COLOR_BTNSHADOW));
    const ui::ScopedSelectObject select(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorOf(vision.text));
    RECT inside = sample;
    ::DrawTextA(dc, kSampleText, -1, &inside, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

}  // namespace velmira
