// The main window's palette buttons: store a colour into the palette or take one from it.
#include <memory>
#include <string>

#include "app/MainForm.h"
#include "palette/ColorPallet.h"

namespace {

// The dialog of one button click, published as ColorPallet for as long as it exists.
class OpenedPallet {
public:
    explicit OpenedPallet(ui::Form& owner) : dialog_(std::make_unique<TColorPallet>(owner)) {
        ColorPallet = dialog_.get();
    }
    OpenedPallet(const OpenedPallet&) = delete;
    OpenedPallet& operator=(const OpenedPallet&) = delete;
    ~OpenedPallet() { ColorPallet = nullptr; }

    TColorPallet& operator*() const noexcept { return *dialog_; }

private:
    std::unique_ptr<TColorPallet> dialog_;
};

void ShowPallet(TMainForm& form, int mode, std::string& red, std::string& green, std::string& blue) {
    OpenedPallet opened(form);
    TColorPallet& dialog = *opened;
    dialog.PalletMode = mode;
    dialog.SetCurColor(red, green, blue);
    const int result = dialog.ShowModal();
    if (mode == TColorPallet::kLoadMode && result == ui::mrOk) {
        dialog.GetCurColor(red, green, blue);
        form.UpdateColor();
    }
}

}  // namespace

void TMainForm::BtnSaveFontClick() {
    ShowPallet(*this, TColorPallet::kSaveMode, HexFR, HexFG, HexFB);
}

void TMainForm::BtnLoadFontClick() {
    ShowPallet(*this, TColorPallet::kLoadMode, HexFR, HexFG, HexFB);
}

void TMainForm::BtnSaveBackGClick() {
    ShowPallet(*this, TColorPallet::kSaveMode, HexBR, HexBG, HexBB);
}

void TMainForm::BtnLoadBackGClick() {
    ShowPallet(*this, TColorPallet::kLoadMode, HexBR, HexBG, HexBB);
}
