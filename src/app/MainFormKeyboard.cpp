// The main window for the keyboard and for screen readers: the window menu's items and their shortcuts, the
// pick without a mouse button and the system-wide key that starts one, the contrast details window, the preview
// and the pick icons as controls that take the focus, and the accessible names of the controls.
#include <oleacc.h>

#include <string>
#include <utility>

#include "app/MainForm.h"
#include "picker/SightIcon.h"
#include "settings/ProgramFiles.h"
#include "settings/SettingsText.h"
#include "ui/Application.h"

namespace {

constexpr int kPickKeyId = 1;

}  // namespace

// The window menu's items after the system's, each with its shortcut in the main window.
void TMainForm::BuildWindowMenu() {
    ui::WindowMenu& menu = Menu();
    menu.AddSeparator();
    menu.AddItem("コントラストの詳細(&D)...\tCtrl+D", [this] { ShowContrastDetails(); });
    menu.AddItem("文字色をスポイトで取る(&T)\tCtrl+T", [this] { StartKeyboardPick(true); });
    backGPickItem_ = menu.AddItem("背景色をスポイトで取る(&B)\tCtrl+B", [this] { StartKeyboardPick(false); });
    AddShortcut(MOD_CONTROL, 'D', [this] { ShowContrastDetails(); });
    AddShortcut(MOD_CONTROL, 'T', [this] { StartKeyboardPick(true); });
    AddShortcut(MOD_CONTROL, 'B', [this] { StartKeyboardPick(false); });
    AddColourItemsToWindowMenu();
}

void TMainForm::ConnectKeyboard() {
    BuildWindowMenu();
    // The preview is a control of its own in its place in the tab order; a click gives it the focus too. The
    // pick icons take the focus from the keyboard only, where Enter or Space starts a pick without a button.
    PanelBackG.MakeFocusable(true);
    PanelScopeFont.MakeFocusable(false);
    PanelScopeBackG.MakeFocusable(false);
    PanelScopeFont.OnKeyClick = [this] { StartKeyboardPick(true); };
    PanelScopeBackG.OnKeyClick = [this] { StartKeyboardPick(false); };
    NameControlsForScreenReaders();
}

// Names for the controls whose kind gives none that says what they are for: edits and scroll bars without a
// label window before them, buttons whose caption leaves out their colour, and our own windows.
void TMainForm::NameControlsForScreenReaders() {
    PanelBackG.SetAccessibleName("プレビュー");
    PanelBackG.SetAccessibleRole(ROLE_SYSTEM_GRAPHIC);
    PanelBackG.SetAccessibleValue([this] { return velmira::ContentOf(*this).summary; });
    struct Group {
        const char* colour;
        ui::Edit& hex;
        ui::Edit *red, *green, *blue;
        ui::ScrollBar *barRed, *barGreen, *barBlue;
        ui::Button &copy, &save, &load;
        ui::Panel& scope;
        const char* scopeName;
    };
    const Group groups[] = {
        {"文字", EditFont, &EditFR, &EditFG, &EditFB, &BarFR, &BarFG, &BarFB, BtnCopyFont, BtnSaveFont, BtnLoadFont,
         PanelScopeFont, "文字色をスポイトで取る"},
        {"背景", EditBackG, &EditBR, &EditBG, &EditBB, &BarBR, &BarBG, &BarBB, BtnCopyBackG, BtnSaveBackG,
         BtnLoadBackG, PanelScopeBackG, "背景色をスポイトで取る"},
    };
    for (const Group& g : groups) {
        const std::string colour = std::string(g.colour) + " ";
        g.hex.SetAccessibleName(colour + "16進");
        const char* letters[] = {"R", "G", "B"};
        ui::Edit* edits[] = {g.red, g.green, g.blue};
        ui::ScrollBar* bars[] = {g.barRed, g.barGreen, g.barBlue};
        for (int i = 0; i < 3; ++i) {
            edits[i]->SetAccessibleName(colour + letters[i]);
            bars[i]->SetAccessibleName(colour + letters[i]);
        }
        g.copy.SetAccessibleName(colour + g.copy.Text());
        g.save.SetAccessibleName(colour + g.save.Text());
        g.load.SetAccessibleName(colour + g.load.Text());
        g.scope.SetAccessibleName(g.scopeName);
        g.scope.SetAccessibleRole(ROLE_SYSTEM_PUSHBUTTON);
    }
    GroupBackImage.SetAccessibleName("背景画像");
    EditBackImage.SetAccessibleName("背景画像のファイル");
    BtnRef.SetAccessibleName("背景画像を参照");
}

// While a picture is the background its colour is not picked: the window menu's item is greyed out and the pick
// icon, disabled with the other controls of that colour, shows its sight in grey.
void TMainForm::ShowBackGPickable() {
    const bool pickable = !background_.UseImage();
    if (pickable == backGPickable_) return;
    backGPickable_ = pickable;
    Menu().EnableItem(backGPickItem_, pickable);
    velmira::ShowSightIn(ImageScopeBackG, pickable);
}

void TMainForm::ShowContrastDetails() {
    velmira::ContrastSource& source = *this;
    if (!details_) details_ = std::make_unique<TContrastDetailsForm>(Handle(), source, detailsPlace_);
    details_->ShowDetails();
}

void TMainForm::StartKeyboardPick(bool intoText) {
    if (!intoText && background_.UseImage()) {
        ::MessageBeep(MB_OK);  // its pick icon is disabled too
        return;
    }
    velmira::ColorGroup& group = intoText ? fontColor_ : backGColor_;
    pick_.StartWithoutButton(PickReadout(intoText), [this, &group](std::optional<POINT> point) {
        if (point) PickInto(group, *point);
        // A pick started from another program gives that program the keyboard back.
        if (HWND previous = std::exchange(activeBeforePickKey_, nullptr); previous && ::IsWindow(previous))
            ::SetForegroundWindow(previous);
    });
}

// The key works from any program: the pick needs the keyboard, so the program takes it for as long as the pick
// runs. A window that is hidden (the program is minimised) cannot take it; the sight then does.
// While a dialog or a message box of ours is up the key does nothing: a pick would run inside its modal loop, where
// Enter and Esc are the dialog's (a file dialog disables the window, which a message box may leave enabled).
void TMainForm::PickKeyPressed() {
    if (pick_.Scope() || ui::Application::Get().ModalRuns() || !::IsWindowEnabled(Handle())) return;
    HWND active = ::GetForegroundWindow();
    const bool ours = active && ui::Window::FromHandle(::GetAncestor(active, GA_ROOT));
    StartKeyboardPick(true);
    if (!pick_.RunsWithoutButton()) return;
    activeBeforePickKey_ = ours ? nullptr : active;
    ::SetForegroundWindow(Visible() ? Handle() : pick_.Scope()->Handle());
}

// An empty key is none. One that cannot be read, or that another program holds, is said once; the rest of the
// program works as without it.
void TMainForm::RegisterPickKey() {
    if (pickKeyText_.empty()) return;
    const std::optional<velmira::KeyCombination> key = velmira::ReadKeyCombinationText(pickKeyText_);
    if (!key) {
        ui::Application::Get().ShowMessage(
            std::string(velmira::kSettingsFileName) + " の PickKey=" + pickKeyText_ + " はキーとして読めないため、使いません。",
            MB_OK | MB_ICONWARNING);
        return;
    }
    pickKey_ = std::make_unique<ui::HotKey>(Handle(), kPickKeyId, key->modifiers, key->key);
    if (!pickKey_->Registered()) {
        pickKey_.reset();
        ui::Application::Get().ShowMessage(
            "スポイトのキー " + pickKeyText_ + " はほかのプログラムが使っているため、使えません。",
            MB_OK | MB_ICONWARNING);
    }
}
