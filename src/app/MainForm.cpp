#include "app/MainForm.h"

#include <algorithm>
#include <utility>

#include "app/SwatchColour.h"
#include "diag/DebugNotice.h"
#include "picker/SightIcon.h"
#include "settings/ProgramFiles.h"
#include "text/SystemText.h"
#include "ui/Application.h"
#include "ui/UniqueHandle.h"

namespace {

constexpr char kCaption[] = "Velmira Ver.2.30";
constexpr char kSampleText[] = "あいうえお\n\nABCDEFG\n\n0123456789";

ui::FontSpec WindowFont() {
    return ui::FontSpec{ui::kFace, 12, false};
}

}  // namespace

// The controls of one colour's group box; both groups are laid out alike.
struct TMainForm::ColorGroupControls {
    ui::GroupBox& group;
    ui::Edit& hex;
    ui::Edit *red, *green, *blue;
    ui::ScrollBar *barRed, *barGreen, *barBlue;
    ui::Button &copy, &save, &load;
    ui::Panel& scopePanel;
    ui::Image& scopeImage;
    ui::Label *labelRed, *labelGreen, *labelBlue;
};

// The members the window's creation starts empty or at 0 live with the parts that carry their rules: the six
// channel strings and their values in the two colour groups (fontColor_, backGColor_), ImagePath and UseImage in
// the background picture (background_), SpiPath and the plug-in host there too; AppDir is appDir_ here.
TMainForm::TMainForm(velmira::SpiHostOptions host, ui::ModalShown modalShown)
    : modalShown_(std::move(modalShown)),
      fontColor_({EditFont, {&EditFR, &EditFG, &EditFB}, {&BarFR, &BarFG, &BarFB}}, RadioHexDim,
                 [this] { return BackgroundColour(); }, [this] { UpdateColor(); }),
      backGColor_({EditBackG, {&EditBR, &EditBG, &EditBB}, {&BarBR, &BarBG, &BarBB}}, RadioHexDim,
                  [] { return velmira::Rgb{255, 255, 255}; }, [this] { UpdateColor(); }),
      background_({CheckBackImage, EditBackImage, BtnRef, BtnSPI, ImageBackG, BackGColorControls()},
                  [this] { UpdateColor(); }, std::move(host)),
      pick_(*this), palettes_([this] { return velmira::SettingsFileIn(appDir_); }, &velmira::ColourOfSwatch) {
    BuildLayout();
    ConnectEvents();
    ConnectKeyboard();

    velmira::DebugAttach(velmira::DebugNotice, ui::Application::Get().Handle());
    appDir_ = velmira::ExecutableDirectory();
    background_.SpiLoader().SetCacheFile(velmira::PluginCacheFileIn(appDir_));
    LabelText.SetCaption(kSampleText);
    LoadIniFile();
    background_.SetSPI();
    UpdateColor();
    UpdateHexDim();
    CheckBackImageClick();
    RegisterPickKey();
    ::DragAcceptFiles(Handle(), TRUE);
    // The tooltip is only wanted once the pointer rests on the preview: it is made when the window is idle.
    contrastTipCreation_.Schedule();
}

// The pick goes first (a running drag is given up), then the picture's plug-ins, then the controls.
TMainForm::~TMainForm() = default;

// The controls that a picture in use takes the place of.
std::vector<ui::Window*> TMainForm::BackGColorControls() {
    return {&EditBackG, &EditBR,       &EditBG,       &EditBB,       &BarBR,          &BarBG,
            &BarBB,     &BtnCopyBackG, &BtnSaveBackG, &BtnLoadBackG, &PanelScopeBackG};
}

void TMainForm::CreateContrastTip() {
    velmira::ContrastSource& source = *this;
    contrastTip_ = std::make_unique<velmira::ContrastTip>(Handle(), PanelBackG.Handle(), source);
}

void TMainForm::BuildLayout() {
    const ui::FontSpec font = WindowFont();
    Create(ui::FormLayout{kCaption, 200, 100, 467, 323, false, ui::FormBorder::Single, true, false, true, nullptr});
    SetFont(font);

    // Top level, in tab order.
    PanelBackG.Create({*this, 5, 5, 165, 190});
    ImageBackG.Create(PanelBackG, 1, 1, 163, 188);
    LabelText.Create(PanelBackG, 10, 10, 58, 16, "テキスト", {ui::kFace, 16, true});
    LabelText.KeepColourInHighContrast();  // it shows the text colour being edited

    GroupBackImage.Create({*this, 5, 255, 455, 60}, "", font);
    CheckBackImage.Create({GroupBackImage, 20, 0, 137, 17}, "背景に画像を指定する", font);
    EditBackImage.Create({GroupBackImage, 10, 25, 300, 20}, font);
    EditBackImage.SetEnabled(false);
    EditBackImage.SetSystemColor(COLOR_MENU);
    BtnRef.Create({GroupBackImage, 310, 25, 50, 20}, "参照", font);
    BtnSPI.Create({GroupBackImage, 370, 25, 80, 20}, "Plug-inのパス", font);

    RadioHexDim.Create({*this, 5, 210, 165, 40}, "表示形式", font, {"10進数", "16進数"}, 2);
    RadioHexDim.SetItemIndex(1);

    BuildColorGroup(ColorGroupControls{GroupFont, EditFont, &EditFR, &EditFG, &EditFB, &BarFR, &BarFG, &BarFB, BtnCopyFont,
                               BtnSaveFont, BtnLoadFont, PanelScopeFont, ImageScopeFont, &LabelFR, &LabelFG, &LabelFB},
                    5, "文字");
    BuildColorGroup(ColorGroupControls{GroupBackG, EditBackG, &EditBR, &EditBG, &EditBB, &BarBR, &BarBG, &BarBB, BtnCopyBackG,
                               BtnSaveBackG, BtnLoadBackG, PanelScopeBackG, ImageScopeBackG, &LabelBR, &LabelBG,
                               &LabelBB},
                    130, "背景");
}

void TMainForm::BuildColorGroup(const ColorGroupControls& g, int top, const char* caption) {
    const ui::FontSpec font = WindowFont();
    const ui::FontSpec channelFont{ui::kFixedFace, 21, true};

    g.group.Create({*this, 180, top, 280, 120}, caption, font);
    g.hex.Create({g.group, 15, 15, 60, 20}, font);
    g.hex.SetMaxLength(6);
    ui::Edit* edits[] = {g.red, g.green, g.blue};
    ui::ScrollBar* bars[] = {g.barRed, g.barGreen, g.barBlue};
    ui::Label* labels[] = {g.labelRed, g.labelGreen, g.labelBlue};
    const char* letters[] = {"R", "G", "B"};
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 128, 0), RGB(0, 0, 255)};
    for (int i = 0; i < 3; ++i) edits[i]->Create({g.group, 30, 40 + 25 * i, 30, 20}, font);
    for (int i = 0; i < 3; ++i) bars[i]->Create({g.group, 70, 43 + 25 * i, 200, 16}, 0, 255, 1, 10);
    g.copy.Create({g.group, 85, 15, 50, 20}, "コピー", font);
    g.save.Create({g.group, 140, 15, 40, 20}, "保存", font);
    g.load.Create({g.group, 179, 15, 40, 20}, "読込", font);
    g.scopePanel.Create({g.group, 230, 9, 31, 31});
    g.scopePanel.Drag.automatic = true;  // a drag source too, with no handlers
    g.scopeImage.Create(g.scopePanel, 1, 1, 29, 29);
    g.scopeImage.Drag.automatic = true;
    velmira::ShowSightIn(g.scopeImage);
    for (int i = 0; i < 3; ++i) {
        labels[i]->Create(g.group, 10, 40 + 25 * i, 13, 21, letters[i], channelFont);
        labels[i]->SetFontColor(colours[i]);
    }
}

// The controls are laid out for the new DPI; what the window draws at its own size follows: the preview's
// canvas, with the colour or the picture again at one pixel a screen pixel, and the pick icons.
void TMainForm::OnDpiChanged() {
    ImageBackG.SetPicture(nullptr);
    // Without a picture on the preview (none switched on, or none that could be read) it shows the colour.
    if (!background_.PreviewResized()) background_.ShowColour(backGColor_.Packed());
    velmira::ShowSightIn(ImageScopeFont);
    velmira::ShowSightIn(ImageScopeBackG, backGPickable_);
}

// The colour groups and the background picture wire their own controls; these are the ones the window's own
// rules answer.
void TMainForm::ConnectEvents() {
    RadioHexDim.OnClick = [this] { RadioHexDimClick(); };
    PanelBackG.OnContextPopup = [this](POINT at) { PanelBackGContextPopup(at); };
    OnClose = [this] { FormClose(); };
    BtnCopyFont.OnClick = [this] { BtnCopyFontClick(); };
    BtnCopyBackG.OnClick = [this] { BtnCopyBackGClick(); };
    BtnCopyFont.OnContextPopup = [this](POINT at) { BtnCopyFontContextPopup(at); };
    BtnCopyBackG.OnContextPopup = [this](POINT at) { BtnCopyBackGContextPopup(at); };
    previewMenu_.OnCopied = [this] { RememberPair(); };
    BtnSaveFont.OnClick = [this] { BtnSaveFontClick(); };
    BtnLoadFont.OnClick = [this] { BtnLoadFontClick(); };
    BtnSaveBackG.OnClick = [this] { BtnSaveBackGClick(); };
    BtnLoadBackG.OnClick = [this] { BtnLoadBackGClick(); };
    ImageScopeFont.Drag.onStartDrag = [this] { ImageScopeStartDrag(ImageScopeFont); };
    ImageScopeBackG.Drag.onStartDrag = [this] { ImageScopeStartDrag(ImageScopeBackG); };
    ImageScopeFont.Drag.onEndDrag = [this](POINT) { ImageScopeFontEndDrag(); };
    ImageScopeBackG.Drag.onEndDrag = [this](POINT) { ImageScopeBackGEndDrag(); };
    for (ui::Image* icon : {&ImageScopeFont, &ImageScopeBackG}) {
        icon->Drag.onDragKey = [this](UINT key) { return pick_.KeyDown(key); };
        icon->Drag.onDragWheel = [this](int delta) { return pick_.Wheel(delta); };
    }
}

