// The main window's other events, each handed to the part that carries its rule: the clipboard, the screen
// pick, the background picture and its plug-ins, and the settings file; and what the contrast tip asks.
#include "app/MainForm.h"


#include "colorwindows/Clipboard.h"
#include "color/ColorText.h"
#include "color/Contrast.h"
#include "colorwindows/CopyMenu.h"
#include "settings/HistorySettings.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"

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

// The loupe's line for a candidate colour: its hex and its ratio against the other colour of the pair. Against a
// picture that ratio is the worst over the picture's pixels under the sample text, as the contrast tip gives it;
// the pixels are taken once, since the preview does not change while a pick runs.
TLoupeForm::Readout TMainForm::PickReadout(bool intoText) {
    std::vector<velmira::Rgb> picture;
    if (intoText && PictureInUse()) picture = PixelsUnderText();
    const velmira::Rgb other = intoText ? BackgroundColour() : TextColour();
    return [other, picture = std::move(picture)](std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        const velmira::Rgb candidate{red, green, blue};
        const velmira::Rgb against = picture.empty() ? other : velmira::LeastContrasting(candidate, picture);
        return velmira::PickReadoutText(candidate, against);
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
    pick_.GetColor(red, green, blue, point.x, point.y);
    group.SetChannels(red, green, blue);
    RememberPair();
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
    history_.Restore(velmira::ReadHistorySection(velmira::SettingsFileIn(appDir_)));
    pickKeyText_ = values.pickKey;
    detailsPlace_ = {values.details.left, values.details.top, values.details.width, values.details.height};
}

void TMainForm::SaveIniFile() {
    velmira::SettingsValues values;
    values.iniDir = background_.OpenDialog().InitialDir;
    values.spi = background_.SpiPath();
    values.loupe = pick_.LoupeOn();
    values.pickKey = pickKeyText_;
    if (details_) detailsPlace_ = details_->CurrentPlace();
    values.details = {detailsPlace_.left, detailsPlace_.top, detailsPlace_.width, detailsPlace_.height};
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
