#pragma once
// The palette dialog: twenty colour slots kept in the settings file's section "Pallet". The main window opens
// it modally to store its colour into a slot (save mode) or to take a slot's colour (load mode).
#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "palettewindows/PaletteSlots.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/IniFile.h"
#include "ui/Label.h"
#include "ui/Panel.h"

class TColorPallet : public ui::Form {
public:
    static constexpr int kSaveMode = 0;
    static constexpr int kLoadMode = 1;
    static constexpr int kSlotCount = velmira::kPaletteSlots;

    // Builds the dialog, owned by `owner`, hidden until it is shown; the slots are kept in `settings`.
    TColorPallet(ui::Form& owner, ui::IniFile settings, ui::ModalShown modalShown = {});

    // ---- Controls ------------------------------------------------------------------------------------------------
    ui::Label LabelPallet;
    // Panel1 .. Panel20, in slot order; PanelNamed looks them up by name.
    std::array<ui::Panel, kSlotCount> Panels;
    ui::Label LabelCurColor;
    ui::Panel PanelCurColor;
    ui::Button BtnOk;
    ui::Button BtnCancel;

    // The panel called `name` ("Panel1" .. "Panel20"), or null.
    ui::Panel* PanelNamed(std::string_view name);

    // ---- State ---------------------------------------------------------------------------------------------------
    int PalletMode = kSaveMode;

    // ---- Operations ----------------------------------------------------------------------------------------------
    // Shows the colour of the three channel strings, the labels of the mode, and the slots from the file.
    void SetCurColor(std::string red, std::string green, std::string blue);
    // The current colour as three channel strings of two upper-case digits each.
    void GetCurColor(std::string& red, std::string& green, std::string& blue) const;
    void LoadIniFile();
    // Throws the settings file's write error at the first key the platform refuses.
    void SaveIniFile();
    std::string GetPanelColor(COLORREF color) const;
    COLORREF SetPanelColor(const std::string& text) const;

    // ---- Events --------------------------------------------------------------------------------------------------
    void PalletClick(ui::Panel& sender);
    void BtnOkClick();

private:
    void BuildLayout(ui::Form& owner);
    // An arrow key, Home or End on the slot of index `slot`: the focus moves to the slot it points to.
    bool MoveFocusFromSlot(int slot, UINT key);

    ui::IniFile settings_;
};

// The palette dialog while one of the main window's palette buttons has it open; null otherwise.
extern TColorPallet* ColorPallet;
