#include "palettewindows/ColorPallet.h"

#include <oleacc.h>

#include <exception>
#include <string>
#include <utility>

#include "palettewindows/PaletteSlots.h"
#include "palette/PaletteText.h"
#include "ui/Application.h"

TColorPallet* ColorPallet = nullptr;

namespace {


std::string PanelName(int slot) {
    return "Panel" + std::to_string(slot);
}

}  // namespace

TColorPallet::TColorPallet(ui::Form& owner, ui::IniFile settings, ui::ModalShown modalShown)
    : ui::Form(std::move(modalShown)), settings_(std::move(settings)) {
    BuildLayout(owner);
}

void TColorPallet::BuildLayout(ui::Form& owner) {
    const ui::FontSpec font{ui::kFace, 12, false};
    Create(ui::FormLayout{"ColorPallet", 307, 174, 355, 170, true, ui::FormBorder::Sizeable, true, true, false,
                          owner.Handle()});
    SetFont(font);

    LabelPallet.Create(*this, 10, 5, 56, 12, "LabelPallet", font);
    LabelCurColor.Create(*this, 270, 15, 72, 12, "LabelCurColor", font);

    // Windowed controls in tab order: the current colour, the two buttons, then the slots.
    PanelCurColor.Create({*this, 270, 30, 70, 40});
    BtnOk.Create({*this, 270, 80, 70, 25}, "Ok", font);
    BtnOk.ModalResult = ui::mrOk;
    BtnOk.OnClick = [this] { BtnOkClick(); };
    BtnCancel.Create({*this, 270, 110, 70, 25}, "Cancel", font);
    BtnCancel.ModalResult = ui::mrCancel;
    // The slots take the focus too, and Enter or Space on one does what a click does; a screen reader hears each
    // slot's number and colour, and the current colour's.
    PanelCurColor.SetAccessibleValue([this] { return GetPanelColor(PanelCurColor.Color()); });
    for (int i = 0; i < kSlotCount; ++i) {
        const int row = i / 5;
        const int column = i % 5;
        ui::Panel& slot = Panels[i];
        slot.Create({*this, 10 + 50 * column, 25 + 30 * row, 40, 20});
        slot.OnClick = [this](ui::Panel& sender) { PalletClick(sender); };
        slot.MakeFocusable(true);
        slot.OnKeyClick = [this, &slot] { PalletClick(slot); };
        slot.OnMoveKey = [this, i](UINT key) { return MoveFocusFromSlot(i, key); };
        slot.SetAccessibleName("パレット " + std::to_string(i + 1));
        slot.SetAccessibleRole(ROLE_SYSTEM_PUSHBUTTON);
        slot.SetAccessibleValue([this, &slot] { return GetPanelColor(slot.Color()); });
    }
    // The dialog is for choosing a slot: it opens there.
    FocusOnActivation(Panels[0]);
}

// Along the 4 rows of 5 as they stand: the arrows stop at the grid's edges, Home and End go to the first and the
// last slot.
bool TColorPallet::MoveFocusFromSlot(int slot, UINT key) {
    constexpr int kColumns = 5;
    const int column = slot % kColumns;
    int next = slot;
    switch (key) {
    case VK_LEFT:
        if (column > 0) --next;
        break;
    case VK_RIGHT:
        if (column < kColumns - 1) ++next;
        break;
    case VK_UP:
        if (slot >= kColumns) next -= kColumns;
        break;
    case VK_DOWN:
        if (slot + kColumns < kSlotCount) next += kColumns;
        break;
    case VK_HOME:
        next = 0;
        break;
    case VK_END:
        next = kSlotCount - 1;
        break;
    default:
        return false;
    }
    ::SetFocus(Panels[static_cast<std::size_t>(next)].Handle());
    return true;
}

ui::Panel* TColorPallet::PanelNamed(std::string_view name) {
    for (int slot = 1; slot <= kSlotCount; ++slot)
        if (name == PanelName(slot)) return &Panels[slot - 1];
    return nullptr;
}

void TColorPallet::SetCurColor(std::string red, std::string green, std::string blue) {
    PanelCurColor.SetColor(velmira::PaletteColorOfChannels(red, green, blue));
    if (PalletMode == kSaveMode) {
        LabelCurColor.SetCaption("保存する色");
        LabelPallet.SetCaption("保存する場所をクリックして下さい。");
    } else {
        LabelCurColor.SetCaption("読み込む色");
        LabelPallet.SetCaption("読み込む場所をクリックして下さい。");
    }
    PanelCurColor.SetAccessibleName(LabelCurColor.Caption());
    LoadIniFile();
}

void TColorPallet::GetCurColor(std::string& red, std::string& green, std::string& blue) const {
    velmira::ChannelStrings channels = velmira::ChannelStringsOfColor(PanelCurColor.Color());
    red = std::move(channels.red);
    green = std::move(channels.green);
    blue = std::move(channels.blue);
}

void TColorPallet::LoadIniFile() {
    const velmira::PaletteSlots slots = velmira::ReadPaletteSlots(settings_);
    for (int slot = 1; slot <= kSlotCount; ++slot)
        if (ui::Panel* panel = PanelNamed(PanelName(slot))) panel->SetColor(slots[static_cast<std::size_t>(slot - 1)]);
}

void TColorPallet::SaveIniFile() {
    velmira::PaletteSlots slots{};
    for (int slot = 1; slot <= kSlotCount; ++slot)
        if (ui::Panel* panel = PanelNamed(PanelName(slot))) slots[static_cast<std::size_t>(slot - 1)] = panel->Color();
    velmira::WritePaletteSlots(settings_, slots);
}

std::string TColorPallet::GetPanelColor(COLORREF color) const {
    return velmira::PaletteTextOfColor(color);
}

COLORREF TColorPallet::SetPanelColor(const std::string& text) const {
    return velmira::PaletteColorFromText(text);
}

void TColorPallet::PalletClick(ui::Panel& sender) {
    ui::Panel& changed = PalletMode == kSaveMode ? sender : PanelCurColor;
    if (PalletMode == kSaveMode)
        sender.SetColor(PanelCurColor.Color());
    else
        PanelCurColor.SetColor(sender.Color());
    changed.AccessibleValueChanged();
}

void TColorPallet::BtnOkClick() {
    // A refused write is shown here, while the dialog is open, and not passed on: the OK button's
    // modal result is set only after this handler returns, and the dialog must close with OK all the same.
    try {
        SaveIniFile();
    } catch (const std::exception& e) {
        ui::Application::Get().ShowException(e);
    }
}
