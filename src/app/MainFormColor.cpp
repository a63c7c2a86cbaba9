// The main window's one refresh, and the display format that both colour groups show.
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
    ShowBackGPickable();
}

void TMainForm::UpdateHexDim() {
    // Decimal, and also no format selected, show the values.
    using velmira::ColorGroup;
    const int format =
        RadioHexDim.ItemIndex() == ColorGroup::kHexadecimal ? ColorGroup::kHexadecimal : ColorGroup::kDecimal;
    fontColor_.ShowChannels(format);
    backGColor_.ShowChannels(format);
}

void TMainForm::RadioHexDimClick() {
    UpdateHexDim();
}
