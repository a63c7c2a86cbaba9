// The main window's other events, each handed to the part that carries its rule: the clipboard, the screen
// pick, the background picture and its plug-ins, and the settings file; and what the contrast tip asks.
#include "app/MainForm.h"

#include <commctrl.h>

#include "colorwindows/Clipboard.h"
#include "color/ColorText.h"
#include "color/Contrast.h"
#include "color/SampleStats.h"
#include "colorwindows/CopyMenu.h"
#include "settings/HistorySettings.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"
#include "text/ChannelText.h"

// The colour the preview shows, from the channel values: the edit may hold text that is no colour (a few typed
// characters, a channel typed out of range), and the clipboard only ever receives a colour.
void TMainForm::BtnCopyFontClick() {
    CopyAndRemember(velmira::HexText(TextColour()));
}

void TMainForm::BtnCopyBackGClick() {
    CopyAndRemember(velmira::HexText(BackgroundColour()));
}

void TMainForm::BtnCopyFontContextPopup(POINT screenPos) {
    if (const std::optional<std::string> text = velmira::ChooseCopyText(Handle(), screenPos, TextColour()))
        CopyAndRemember(*text);
}

void TMainForm::BtnCopyBackGContextPopup(POINT screenPos) {
    if (const std::optional<std::string> text = velmira::ChooseCopyText(Handle(), screenPos, BackgroundColour()))
        CopyAndRemember(*text);
}

void TMainForm::CopyAndRemember(const std::string& text) {
    velmira::CopyToClpBrd(text);
    RememberPair();
}

void TMainForm::RememberPair() {
    history_.Remember(velmira::ColourPair{TextColour(), BackgroundColour()});
}

// The preview's menu: the nearest passing colour, the swap and the copy as CSS.
void TMainForm::PanelBackGContextPopup(POINT screenPos) {
    previewMenu_.Popup(Handle(), screenPos);
}

// Shared by both icons.
void TMainForm::ImageScopeStartDrag(const ui::Image& sender) {
    pick_.Start(PickReadout(&sender == &ImageScopeFont));
}

// What a picked colour is judged against: the other colour of the pair, or for the text over a picture the
// picture's pixels under the sample text, taken once, since the preview does not change while a pick runs.
std::vector<velmira::Rgb> TMainForm::PickAgainst(bool intoText) {
    std::vector<velmira::Rgb> against;
    if (intoText && PictureInUse()) against = PixelsUnderText();
    if (against.empty()) against.push_back(intoText ? BackgroundColour() : TextColour());
    return against;
}

// The loupe's line for a candidate colour: its hex and its ratio against the other colour of the pair (against a
// picture the worst over the picture's pixels under the sample text, as the contrast tip gives it); for a sampled
// square, the mean, the darkest and the lightest pixel, each with its ratio.
TLoupeForm::Readout TMainForm::PickReadout(bool intoText) {
    return [against = PickAgainst(intoText)](int side, const std::vector<std::uint32_t>& square) {
        const std::vector<velmira::Rgb> pixels = velmira::ColoursOf(square);
        if (side > 1) return velmira::SampledReadoutText(velmira::SampleOf(pixels), against);
        const velmira::Rgb candidate = pixels.front();
        return velmira::PickReadoutText(candidate, velmira::LeastContrasting(candidate, against));
    };
}

void TMainForm::ImageScopeFontEndDrag() {
    PickInto(fontColor_, pick_.End());
}

void TMainForm::ImageScopeBackGEndDrag() {
    PickInto(backGColor_, pick_.End());
}

void TMainForm::PickInto(velmira::ColorGroup& group, POINT point) {
    std::string red, green, blue;
    if (pick_.SampleSize() == 1) {
        pick_.GetColor(red, green, blue, point.x, point.y);
    } else {
        const velmira::Rgb taken = SampledPick(&group == &fontColor_, point);
        red = velmira::HexAtLeastTwoDigits(taken.red);
        green = velmira::HexAtLeastTwoDigits(taken.green);
        blue = velmira::HexAtLeastTwoDigits(taken.blue);
    }
    group.SetChannels(red, green, blue);
    RememberPair();
}

// The mean of the square, or with Shift held as the pick ends the pixel of it that stands out most.
velmira::Rgb TMainForm::SampledPick(bool intoText, POINT point) {
    const bool strongest = ::GetKeyState(VK_SHIFT) < 0;
    const std::vector<velmira::Rgb> square = velmira::ColoursOf(pick_.ReadSquare(point, pick_.SampleSize()));
    return strongest ? velmira::StrongestAgainst(square, PickAgainst(intoText)) : velmira::MeanColour(square);
}

void TMainForm::CheckBackImageClick() {
    background_.CheckBackImageClick();
}

void TMainForm::EditBackImageKeyPress(char& key) {
    background_.EditBackImageKeyPress(key);
}

void TMainForm::WMDropFiles(HDROP drop) {
    background_.WMDropFiles(drop);
}

LRESULT TMainForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DROPFILES) {
        WMDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    if (msg == WM_HOTKEY && pickKey_ && static_cast<int>(wParam) == pickKey_->Id()) {
        PickKeyPressed();
        return 0;
    }
    // The preview's menu and the window menu open over the preview, where the tip's timer may still be running:
    // the tip is put away and waits until the menu is closed, so that it never stands over the menu's items.
    if ((msg == WM_ENTERMENULOOP || msg == WM_EXITMENULOOP) && contrastTip_) {
        const bool entering = msg == WM_ENTERMENULOOP;
        if (entering) ::SendMessageA(contrastTip_->Handle(), TTM_POP, 0, 0);
        ::SendMessageA(contrastTip_->Handle(), TTM_ACTIVATE, entering ? FALSE : TRUE, 0);
    }
    return ui::Form::HandleMessage(msg, wParam, lParam);
}

void TMainForm::LoadIniFile() {
    const velmira::SettingsValues values = velmira::Settings(appDir_).Read();
    background_.OpenDialog().InitialDir = values.iniDir;
    background_.SetSpiPath(values.spi);
    fontColor_.Assign(values.font[0], values.font[1], values.font[2]);
    backGColor_.Assign(values.backG[0], values.backG[1], values.backG[2]);
    // Below 0 selects nothing, above 1 the last item; a change runs the radio group's click handling at once.
    RadioHexDim.SetItemIndex(values.input);
    // The check box's click handling runs here, before ImagePath is restored; the creation runs it again later.
    CheckBackImage.SetChecked(values.useImage);
    background_.RestoreImagePath(values.path);
    pick_.SetLoupe(values.loupe);
    pick_.SetSampleSize(values.sample);
    history_.Restore(velmira::ReadHistorySection(velmira::SettingsFileIn(appDir_)));
    pickKeyText_ = values.pickKey;
    detailsPlace_ = {values.details.left, values.details.top, values.details.width, values.details.height};
    tablePlace_ = {values.table.left, values.table.top, values.table.width, values.table.height};
}

void TMainForm::SaveIniFile() {
    velmira::SettingsValues values;
    values.iniDir = background_.OpenDialog().InitialDir;
    values.spi = background_.SpiPath();
    values.loupe = pick_.LoupeOn();
    values.sample = pick_.SampleSize();
    values.pickKey = pickKeyText_;
    if (details_) detailsPlace_ = details_->CurrentPlace();
    values.details = {detailsPlace_.left, detailsPlace_.top, detailsPlace_.width, detailsPlace_.height};
    if (table_) tablePlace_ = table_->CurrentPlace();
    values.table = {tablePlace_.left, tablePlace_.top, tablePlace_.width, tablePlace_.height};
    using velmira::ColorGroup;
    for (int c = ColorGroup::kRed; c <= ColorGroup::kBlue; ++c) {
        values.font[c] = fontColor_.Hex(static_cast<ColorGroup::Channel>(c));
        values.backG[c] = backGColor_.Hex(static_cast<ColorGroup::Channel>(c));
    }
    values.input = RadioHexDim.ItemIndex();
    values.useImage = background_.UseImage();
    values.path = background_.ImagePath();
    velmira::Settings(appDir_).Write(values);
    velmira::WriteHistorySection(velmira::SettingsFileIn(appDir_), history_.Texts());
}

void TMainForm::FormClose() {
    SaveIniFile();
}

velmira::Rgb TMainForm::TextColour() {
    return fontColor_.Colour();
}

velmira::Rgb TMainForm::BackgroundColour() {
    return backGColor_.Colour();
}

bool TMainForm::PictureInUse() {
    return background_.UseImage();
}

std::vector<velmira::Rgb> TMainForm::PixelsUnderText() {
    return velmira::PicturePixelsUnder(ImageBackG, LabelText);
}
