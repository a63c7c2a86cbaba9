// The main window's colour editing: the one refresh and the editors' events, handed to their colour group.
#include "app/MainForm.h"

void TMainForm::UpdateColor() {
    const int format = RadioHexDim.ItemIndex();
    LabelText.SetFontColor(fontColor_.Packed());
    fontColor_.Show(format, true);
    // A picture on the preview stays; until one has been drawn there the preview shows the colour. While a picture
    // is in use the background colour's bars and channel edits stay as they are.
    background_.ShowColour(backGColor_.Packed());
    backGColor_.Show(format, !background_.UseImage());
    if (contrastTip_) contrastTip_->ColoursChanged();
    if (details_) details_->ColoursChanged();
    PanelBackG.AccessibleValueChanged();
}

void TMainForm::UpdateHexDim() {
    // Decimal, and also no format selected, show the values.
    const int format = RadioHexDim.ItemIndex() == ColorGroup::kHexadecimal ? ColorGroup::kHexadecimal
                                                                            : ColorGroup::kDecimal;
    fontColor_.ShowChannels(format);
    backGColor_.ShowChannels(format);
}

void TMainForm::RadioHexDimClick() {
    UpdateHexDim();
}

void TMainForm::EditFontKeyUp() {
    fontColor_.HexKeyUp();
}

void TMainForm::EditBackGKeyUp() {
    backGColor_.HexKeyUp();
}

void TMainForm::EditFRKeyUp() {
    fontColor_.ChannelKeyUp(ColorGroup::kRed, RadioHexDim.ItemIndex());
}

void TMainForm::EditFGKeyUp() {
    fontColor_.ChannelKeyUp(ColorGroup::kGreen, RadioHexDim.ItemIndex());
}

void TMainForm::EditFBKeyUp() {
    fontColor_.ChannelKeyUp(ColorGroup::kBlue, RadioHexDim.ItemIndex());
}

void TMainForm::EditBRKeyUp() {
    backGColor_.ChannelKeyUp(ColorGroup::kRed, RadioHexDim.ItemIndex());
}

void TMainForm::EditBGKeyUp() {
    backGColor_.ChannelKeyUp(ColorGroup::kGreen, RadioHexDim.ItemIndex());
}

void TMainForm::EditBBKeyUp() {
    backGColor_.ChannelKeyUp(ColorGroup::kBlue, RadioHexDim.ItemIndex());
}

void TMainForm::BarFRScroll(int, int scrollPos) {
    fontColor_.BarScroll(ColorGroup::kRed, scrollPos);
}

void TMainForm::BarFGScroll(int, int scrollPos) {
    fontColor_.BarScroll(ColorGroup::kGreen, scrollPos);
}

void TMainForm::BarFBScroll(int, int scrollPos) {
    fontColor_.BarScroll(ColorGroup::kBlue, scrollPos);
}

void TMainForm::BarBRScroll(int, int scrollPos) {
    backGColor_.BarScroll(ColorGroup::kRed, scrollPos);
}

void TMainForm::BarBGScroll(int, int scrollPos) {
    backGColor_.BarScroll(ColorGroup::kGreen, scrollPos);
}

void TMainForm::BarBBScroll(int, int scrollPos) {
    backGColor_.BarScroll(ColorGroup::kBlue, scrollPos);
}
