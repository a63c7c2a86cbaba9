// The main window's palette buttons: store a colour into the palette or take one from it.
#include <memory>
#include <string>

#include "app/MainForm.h"
#include "palettewindows/ColorPallet.h"
#include "settings/ProgramFiles.h"

namespace {

// The dialog of one button click, published as ColorPallet for as long as it exists.
class OpenedPallet {
public:
    OpenedPallet(ui::Form& owner, ui::IniFile settings, const ui::ModalShown& modalShown)
        : dialog_(std::make_unique<TColorPallet>(owner, std::move(settings), modalShown)) {
        ColorPallet = dialog_.get();
    }
    OpenedPallet(const OpenedPallet&) = delete;
    OpenedPallet& operator=(const OpenedPallet&) = delete;
    ~OpenedPallet() { ColorPallet = nullptr; }

    TColorPallet& operator*() const noexcept { return *dialog_; }

private:
    std::unique_ptr<TColorPallet> dialog_;
};

}  // namespace

void TMainForm::ShowPallet(int mode, velmira::ColorGroup& group) {
    OpenedPallet opened(*this, velmira::SettingsFileIn(appDir_), modalShown_);
    TColorPallet& dialog = *opened;
    dialog.PalletMode = mode;
    using velmira::ColorGroup;
    dialog.SetCurColor(group.Hex(ColorGroup::kRed), group.Hex(ColorGroup::kGreen), group.Hex(ColorGroup::kBlue));
    const int result = dialog.ShowModal();
    if (result != ui::mrOk) return;
    if (mode == TColorPallet::kLoadMode) {
        std::string red, green, blue;
        dialog.GetCurColor(red, green, blue);
        group.SetChannels(red, green, blue);
    }
    PaletteChanged();
}

void TMainForm::BtnSaveFontClick() {
    ShowPallet(TColorPallet::kSaveMode, fontColor_);
}

void TMainForm::BtnLoadFontClick() {
    ShowPallet(TColorPallet::kLoadMode, fontColor_);
}

void TMainForm::BtnSaveBackGClick() {
    ShowPallet(TColorPallet::kSaveMode, backGColor_);
}

void TMainForm::BtnLoadBackGClick() {
    ShowPallet(TColorPallet::kLoadMode, backGColor_);
}
