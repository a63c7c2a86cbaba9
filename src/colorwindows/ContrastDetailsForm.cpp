#include "colorwindows/ContrastDetailsForm.h"

#include <algorithm>

#include "color/ColorText.h"
#include "color/TextSizes.h"
#include "color/VisionDeficiency.h"
#include "colorwindows/ContrastTipDrawing.h"
#include "ui/Application.h"
#include "ui/Dpi.h"
#include "ui/SideWindow.h"
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

// The pair the details are about, first, so that a copy of the text into a report says which colours it measured.
std::string PairLine(velmira::ContrastSource& source) {
    return "文字 " + velmira::HexText(source.TextColour()) + " / 背景 " +
           (source.PictureInUse() ? std::string("画像") : velmira::HexText(source.BackgroundColour()));
}

}  // namespace

TContrastDetailsForm::TContrastDetailsForm(HWND owner, velmira::ContrastSource& source, const Place& place)
    : SideForm(kMinWidth, kMinHeight), source_(source) {
    CreateSide(owner, kCaption, place);
    Text.CreateReadOnlyText(*this, {ui::kFace, 12, false});
    Text.SetAccessibleName(kCaption);
    AddShortcut(0, VK_ESCAPE, [this] { Close(); });
    ControlsMade();
}

void TContrastDetailsForm::ShowDetails() {
    Refresh();
    ui::ShowWithFocusOn(*this, Text.Handle());
}

void TContrastDetailsForm::ColoursChanged() {
    if (Visible()) Refresh();
}

void TContrastDetailsForm::Refresh() {
    content_ = velmira::ContentOf(source_);
    std::string text = PairLine(source_) + "\n" + content_.text;
    if (content_.judged) text += "\n\n" + velmira::TextSizeVerdictText(content_.ratio, content_.lc);
    Text.SetTextIfChanged(ui::WithCrLf(text));
    RECT column{};
    ::GetClientRect(Handle(), &column);
    column.left = SampleColumnLeft();
    ::InvalidateRect(Handle(), &column, FALSE);
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
