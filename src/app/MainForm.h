#pragma once
// The main window: two colours edited side by side over a preview, always on top. It is where the parts of the
// program meet: it owns the controls of its layout under their names and hands them to the parts that carry
// the rules. The two colour groups and the background picture wire their own controls' events; the window wires
// the rest to the screen pick, the settings, the palette, the history, the contrast tip and the preview's menu,
// and keeps the one refresh, UpdateColor, that brings them into line.
//
// Names: the windows the layout names keep their global T names (TMainForm, TColorPallet, TScopeForm, and after
// them TLoupeForm and TContrastDetailsForm), with ColorPallet, the program-wide reference to the open palette
// dialog; the plug-in interface, which plug-ins of any origin share, is namespace spi; what the system calls by
// name (WinMain, a plug-in's exports) is global. Everything else is in namespace ui (the window layer) or
// velmira (the text helpers, the features, the application's other parts, the bundled plug-in).
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "colorwindows/ColorGroup.h"
#include "colorwindows/ContrastDetailsForm.h"
#include "colorwindows/ContrastTableForm.h"
#include "colorwindows/ContrastTip.h"
#include "color/PairHistory.h"
#include "colorwindows/PreviewMenu.h"
#include "image/BackgroundPicture.h"
#include "palettewindows/PaletteTransfer.h"
#include "picker/ScreenPick.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/HotKey.h"
#include "ui/IdleTask.h"
#include "ui/WindowMenu.h"

class TMainForm : public ui::Form, private velmira::ContrastSource {
public:
    // What tests put in the program's place: the plug-in helper they built, and a look at each modal dialog
    // of the window once it is shown.
    explicit TMainForm(velmira::SpiHostOptions host = {}, ui::ModalShown modalShown = {});
    ~TMainForm() override;

    // ---- Controls, in the order of the layout ------------------------------------------------------------------
    ui::Panel PanelBackG;
    ui::Image ImageBackG;
    ui::Label LabelText;
    ui::GroupBox GroupBackImage;
    ui::CheckBox CheckBackImage;
    ui::Edit EditBackImage;
    ui::Button BtnRef;
    ui::Button BtnSPI;
    ui::RadioGroup RadioHexDim;

    ui::GroupBox GroupFont;
    ui::Edit EditFont, EditFR, EditFG, EditFB;
    ui::ScrollBar BarFR, BarFG, BarFB;
    ui::Button BtnCopyFont, BtnSaveFont, BtnLoadFont;
    ui::Panel PanelScopeFont;
    ui::Image ImageScopeFont;
    ui::Label LabelFR, LabelFG, LabelFB;

    ui::GroupBox GroupBackG;
    ui::Edit EditBackG, EditBR, EditBG, EditBB;
    ui::ScrollBar BarBR, BarBG, BarBB;
    ui::Button BtnCopyBackG, BtnSaveBackG, BtnLoadBackG;
    ui::Panel PanelScopeBackG;
    ui::Image ImageScopeBackG;
    ui::Label LabelBR, LabelBG, LabelBB;

    // ---- The parts, for whatever drives the window from outside ------------------------------------------------
    velmira::ColorGroup& FontColor() noexcept { return fontColor_; }
    const velmira::ColorGroup& FontColor() const noexcept { return fontColor_; }
    velmira::ColorGroup& BackGColor() noexcept { return backGColor_; }
    const velmira::ColorGroup& BackGColor() const noexcept { return backGColor_; }
    velmira::BackgroundPicture& Background() noexcept { return background_; }
    const velmira::BackgroundPicture& Background() const noexcept { return background_; }
    velmira::ScreenPick& Pick() noexcept { return pick_; }
    velmira::PaletteTransfer& Palettes() noexcept { return palettes_; }
    const velmira::PairHistory& History() const noexcept { return history_; }
    // The executable's folder with its trailing backslash.
    const std::string& AppDir() const noexcept { return appDir_; }

    // ---- The one refresh: channel values, editors, preview and the contrast tip ---------------------------------
    void UpdateColor();
    void UpdateHexDim();

    // ---- Events (the colour groups and the background picture wire their own controls) --------------------------
    void RadioHexDimClick();
    void PanelBackGContextPopup(POINT screenPos);
    void BtnCopyFontClick();
    void BtnCopyBackGClick();
    void BtnCopyFontContextPopup(POINT screenPos);
    void BtnCopyBackGContextPopup(POINT screenPos);
    void BtnSaveFontClick();
    void BtnLoadFontClick();
    void BtnSaveBackGClick();
    void BtnLoadBackGClick();
    void ImageScopeStartDrag(const ui::Image& sender);
    void ImageScopeFontEndDrag();
    void ImageScopeBackGEndDrag();
    void CheckBackImageClick();
    void EditBackImageKeyPress(char& key);
    void WMDropFiles(HDROP drop);
    void FormClose();

    // ---- The keyboard's ways in: the window menu, its shortcuts and the pick key -----------------------------------
    // The contrast details window, shown and given the keyboard (Ctrl+D).
    void ShowContrastDetails();
    // A pick with no mouse button down into the text colour (Ctrl+T) or the background colour (Ctrl+B); the
    // background colour is not picked while a picture takes its place.
    void StartKeyboardPick(bool intoText);
    // The details window once it has been shown, or null.
    TContrastDetailsForm* ContrastDetails() const noexcept { return details_.get(); }
    // The palette's contrast table, shown and given the keyboard (the window menu); null until first shown.
    void ShowContrastTable();
    TContrastTableForm* ContrastTable() const noexcept { return table_.get(); }

protected:
    // Files dropped from the shell arrive as WM_DROPFILES; everything else goes to the form.
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged() override;

private:
    struct ColorGroupControls;
    void BuildLayout();
    void BuildColorGroup(const ColorGroupControls& group, int top, const char* caption);
    void ConnectEvents();
    std::vector<ui::Window*> BackGColorControls();
    void LoadIniFile();
    void SaveIniFile();
    void PickInto(velmira::ColorGroup& group, POINT point);
    void BuildWindowMenu();
    void ConnectKeyboard();
    void NameControlsForScreenReaders();
    void RegisterPickKey();
    void PickKeyPressed();
    void ShowBackGPickable();
    TLoupeForm::Readout PickReadout(bool intoText);
    std::vector<velmira::Rgb> PickAgainst(bool intoText);
    velmira::Rgb SampledPick(bool intoText, POINT point);
    void ShowPallet(int mode, velmira::ColorGroup& group);
    void CreateContrastTip();
    // The copies and the picks put the pair at the top of the history.
    void CopyAndRemember(const std::string& text);
    void RememberPair();

    // The window menu's history of pairs and palette files (MainFormWindowMenu.cpp).
    void AddColourItemsToWindowMenu();
    std::vector<ui::WindowMenuEntry> HistoryEntries();
    void ChoosePair(velmira::ColourPair pair);
    std::vector<velmira::Rgb> PaletteColours();
    void PaletteChanged();

    // What the contrast tip reports on.
    velmira::Rgb TextColour() override;
    velmira::Rgb BackgroundColour() override;
    bool PictureInUse() override;
    std::vector<velmira::Rgb> PixelsUnderText() override;

    ui::ModalShown modalShown_;
    std::string appDir_;
    velmira::PairHistory history_;
    velmira::ColorGroup fontColor_;
    velmira::ColorGroup backGColor_;
    velmira::BackgroundPicture background_;
    velmira::ScreenPick pick_;
    velmira::PreviewMenu previewMenu_{static_cast<velmira::ContrastSource&>(*this), fontColor_, backGColor_};
    velmira::PaletteTransfer palettes_;
    // Made once the window is painted and idle: nothing shown at first needs it.
    ui::IdleTask contrastTipCreation_{[this] { CreateContrastTip(); }};
    // The contrast details window, made when first shown, and where it stands (kept in the settings).
    std::unique_ptr<TContrastDetailsForm> details_;
    TContrastDetailsForm::Place detailsPlace_{};
    // The palette's contrast table, made when first shown, and its place (kept in the settings).
    std::unique_ptr<TContrastTableForm> table_;
    TContrastTableForm::Place tablePlace_{};
    // The system-wide key that starts a pick of the text colour, as the settings give it; and the window that was
    // active when it was pressed, which gets the keyboard back when the pick ends.
    std::string pickKeyText_;
    std::unique_ptr<ui::HotKey> pickKey_;
    HWND activeBeforePickKey_ = nullptr;
    // The window menu's pick of the background colour, and whether it and the pick icon show it can be used.
    UINT backGPickItem_ = 0;
    bool backGPickable_ = true;
    // The preview's contrast tooltip; made last and so released first, before the panel it watches.
    std::unique_ptr<velmira::ContrastTip> contrastTip_;
};
