// Colour editing of the main window: the model, its one refresh operation and the editors' handlers.
#include "app/MainForm.h"
#include "text/SystemText.h"
#include "color/ColorText.h"
#include "color/ContrastTip.h"

namespace {

constexpr int kDecimal = 0;
constexpr int kHexadecimal = 1;


// What a channel edit shows in the current display format; nothing when no format is selected.
void ShowChannel(ui::Edit& edit, int format, const std::string& channel, std::int32_t value) {
    if (format == kHexadecimal)
        edit.SetTextIfChanged(channel);
    else if (format == kDecimal)
        edit.SetTextIfChanged(velmira::DecimalText(value));
}

}  // namespace

void TMainForm::ComputeChannelValues() {
    ValFR = velmira::ChannelValue(HexFR);
    ValFG = velmira::ChannelValue(HexFG);
    ValFB = velmira::ChannelValue(HexFB);
    ValBR = velmira::ChannelValue(HexBR);
    ValBG = velmira::ChannelValue(HexBG);
    ValBB = velmira::ChannelValue(HexBB);
}

void TMainForm::UpdateColor() {
    ComputeChannelValues();

    LabelText.SetFontColor(velmira::PackColor(ValFR, ValFG, ValFB));

    BarFR.SetPosition(ValFR);
    BarFG.SetPosition(ValFG);
    BarFB.SetPosition(ValFB);
    const int format = RadioHexDim.ItemIndex();
    ShowChannel(EditFR, format, HexFR, ValFR);
    ShowChannel(EditFG, format, HexFG, ValFG);
    ShowChannel(EditFB, format, HexFB, ValFB);

    // While a picture is in use the preview, and the background colour's bars and channel edits, stay as they are.
    if (!UseImage) {
        ImageBackG.Picture().Fill(velmira::PackColor(ValBR, ValBG, ValBB));
        ImageBackG.Invalidate();
        BarBR.SetPosition(ValBR);
        BarBG.SetPosition(ValBG);
        BarBB.SetPosition(ValBB);
        ShowChannel(EditBR, format, HexBR, ValBR);
        ShowChannel(EditBG, format, HexBG, ValBG);
        ShowChannel(EditBB, format, HexBB, ValBB);
    }

    EditFont.SetTextIfChanged(velmira::HexStringOf(HexFR, HexFG, HexFB, &velmira::IsLeadByte));
    EditBackG.SetTextIfChanged(velmira::HexStringOf(HexBR, HexBG, HexBB, &velmira::IsLeadByte));
    if (contrastTip_) contrastTip_->ColoursChanged();
}

void TMainForm::UpdateHexDim() {
    // Decimal, and also no format selected, show the values.
    const int format = RadioHexDim.ItemIndex() == kHexadecimal ? kHexadecimal : kDecimal;
    ShowChannel(EditFR, format, HexFR, ValFR);
    ShowChannel(EditFG, format, HexFG, ValFG);
    ShowChannel(EditFB, format, HexFB, ValFB);
    ShowChannel(EditBR, format, HexBR, ValBR);
    ShowChannel(EditBG, format, HexBG, ValBG);
    ShowChannel(EditBB, format, HexBB, ValBB);
    BarFR.SetPosition(ValFR);
    BarFG.SetPosition(ValFG);
    BarFB.SetPosition(ValFB);
    BarBR.SetPosition(ValBR);
    BarBG.SetPosition(ValBG);
    BarBB.SetPosition(ValBB);
}

void TMainForm::RadioHexDimClick() {
    UpdateHexDim();
}

void TMainForm::HexEditKeyUp(ui::Edit& edit, std::string& red, std::string& green, std::string& blue) {
    // Nothing happens until the edit holds exactly six bytes; the pairs are taken as typed.
    const std::string text = edit.Text();
    if (text.size() != 6) return;
    red = text.substr(0, 2);
    green = text.substr(2, 2);
    blue = text.substr(4, 2);
    UpdateColor();
}

void TMainForm::ChannelEditKeyUp(ui::Edit& edit, std::string& channel) {
    switch (RadioHexDim.ItemIndex()) {
    case kHexadecimal:
        channel = edit.Text();
        break;
    case kDecimal:
        channel = velmira::ChannelStringFromDecimal(edit.Text());
        break;
    default:  // no format selected: the channel stays as it was
        break;
    }
    UpdateColor();
}

void TMainForm::ChannelBarScroll(int scrollPos, std::string& channel) {
    channel = velmira::HexAtLeastTwoDigits(static_cast<std::uint32_t>(scrollPos));
    UpdateColor();
}

void TMainForm::EditFontKeyUp() {
    HexEditKeyUp(EditFont, HexFR, HexFG, HexFB);
}

void TMainForm::EditBackGKeyUp() {
    HexEditKeyUp(EditBackG, HexBR, HexBG, HexBB);
}

void TMainForm::EditFRKeyUp() {
    ChannelEditKeyUp(EditFR, HexFR);
}

void TMainForm::EditFGKeyUp() {
    ChannelEditKeyUp(EditFG, HexFG);
}

void TMainForm::EditFBKeyUp() {
    ChannelEditKeyUp(EditFB, HexFB);
}

void TMainForm::EditBRKeyUp() {
    ChannelEditKeyUp(EditBR, HexBR);
}

void TMainForm::EditBGKeyUp() {
    ChannelEditKeyUp(EditBG, HexBG);
}

void TMainForm::EditBBKeyUp() {
    ChannelEditKeyUp(EditBB, HexBB);
}

void TMainForm::BarFRScroll(int, int scrollPos) {
    ChannelBarScroll(scrollPos, HexFR);
}

void TMainForm::BarFGScroll(int, int scrollPos) {
    ChannelBarScroll(scrollPos, HexFG);
}

void TMainForm::BarFBScroll(int, int scrollPos) {
    ChannelBarScroll(scrollPos, HexFB);
}

void TMainForm::BarBRScroll(int, int scrollPos) {
    ChannelBarScroll(scrollPos, HexBR);
}

void TMainForm::BarBGScroll(int, int scrollPos) {
    ChannelBarScroll(scrollPos, HexBG);
}

void TMainForm::BarBBScroll(int, int scrollPos) {
    ChannelBarScroll(scrollPos, HexBB);
}
