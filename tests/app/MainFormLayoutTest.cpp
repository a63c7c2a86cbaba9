// The main window as the user first sees it: placement, border, every control's rectangle, caption and order.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "support/MainWindowTest.h"
#include "support/WindowTestSupport.h"
#include "ui/Application.h"
#include "ui/Canvas.h"
#include "ui/Dpi.h"

namespace {

class MainFormLayout : public testsupport::MainWindowTest {};

// The controls of one colour group, which both groups place alike inside their group boxes.
struct ColourControls {
    const char* group;
    ui::Edit &hex, &r, &g, &b;
    ui::ScrollBar &barR, &barG, &barB;
    ui::Button &copy, &save, &load;
    ui::Panel& scope;
    ui::Image& image;
    ui::Label &labelR, &labelG, &labelB;
};

std::vector<ColourControls> ColourGroups(TMainForm& f) {
    return {{"文字", f.EditFont, f.EditFR, f.EditFG, f.EditFB, f.BarFR, f.BarFG, f.BarFB, f.BtnCopyFont,
             f.BtnSaveFont, f.BtnLoadFont, f.PanelScopeFont, f.ImageScopeFont, f.LabelFR, f.LabelFG, f.LabelFB},
            {"背景", f.EditBackG, f.EditBR, f.EditBG, f.EditBB, f.BarBR, f.BarBG, f.BarBB, f.BtnCopyBackG,
             f.BtnSaveBackG, f.BtnLoadBackG, f.PanelScopeBackG, f.ImageScopeBackG, f.LabelBR, f.LabelBG, f.LabelBB}};
}

// A control's rectangle as it stands, with the layout's figures at 96 DPI.
struct Placed {
    std::string name;
    RECT bounds;
    int left, top, width, height;
};

// The layout's one table: every control that has a fixed rectangle.
std::vector<Placed> Placements(TMainForm& f) {
    std::vector<Placed> table = {
        {"PanelBackG", f.PanelBackG.Bounds(), 5, 5, 165, 190},
        {"ImageBackG", f.ImageBackG.Bounds(), 1, 1, 163, 188},
        {"GroupBackImage", f.GroupBackImage.Bounds(), 5, 255, 455, 60},
        {"CheckBackImage", f.CheckBackImage.Bounds(), 20, 0, 137, 17},
        {"EditBackImage", f.EditBackImage.Bounds(), 10, 25, 300, 20},
        {"BtnRef", f.BtnRef.Bounds(), 310, 25, 50, 20},
        {"BtnSPI", f.BtnSPI.Bounds(), 370, 25, 80, 20},
        {"RadioHexDim", f.RadioHexDim.Bounds(), 5, 210, 165, 40},
        {"GroupFont", f.GroupFont.Bounds(), 180, 5, 280, 120},
        {"GroupBackG", f.GroupBackG.Bounds(), 180, 130, 280, 120},
    };
    for (const ColourControls& g : ColourGroups(f)) {
        const std::string in = std::string(g.group) + " ";
        table.insert(table.end(), {
            {in + "hex", g.hex.Bounds(), 15, 15, 60, 20},     {in + "R", g.r.Bounds(), 30, 40, 30, 20},
            {in + "G", g.g.Bounds(), 30, 65, 30, 20},         {in + "B", g.b.Bounds(), 30, 90, 30, 20},
            {in + "bar R", g.barR.Bounds(), 70, 43, 200, 16}, {in + "bar G", g.barG.Bounds(), 70, 68, 200, 16},
            {in + "bar B", g.barB.Bounds(), 70, 93, 200, 16}, {in + "copy", g.copy.Bounds(), 85, 15, 50, 20},
            {in + "save", g.save.Bounds(), 140, 15, 40, 20},  {in + "load", g.load.Bounds(), 179, 15, 40, 20},
            {in + "scope", g.scope.Bounds(), 230, 9, 31, 31}, {in + "image", g.image.Bounds(), 1, 1, 29, 29},
        });
    }
    return table;
}

int CharacterHeight(HFONT font) {
    LOGFONTA lf{};
    ::GetObjectA(font, sizeof lf, &lf);
    return -lf.lfHeight;
}

int CharacterHeight(HWND control) {
    return CharacterHeight(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
}

int Width(const RECT& r) {
    return r.right - r.left;
}

int Height(const RECT& r) {
    return r.bottom - r.top;
}

// Every rectangle of the table, the fonts and what sizes itself from them, and the pictures that the window draws
// at its own size, all for `dpi`.
void ExpectLaidOutFor(TMainForm& f, UINT dpi) {
    const auto s = [dpi](int value) { return ui::ScaleLayout(value, dpi); };
    for (const Placed& p : Placements(f))
        EXPECT_TRUE(testsupport::HasBounds(p.bounds, s(p.left), s(p.top), s(p.width), s(p.height)))
            << p.name << " at " << dpi << " DPI";
    EXPECT_EQ(CharacterHeight(f.EditFR.Handle()), s(12));
    EXPECT_EQ(CharacterHeight(f.BtnSPI.Handle()), s(12));
    EXPECT_EQ(CharacterHeight(f.RadioHexDim.ItemHandle(1)), s(12));
    EXPECT_EQ(CharacterHeight(f.LabelText.Font()), s(16));
    EXPECT_EQ(CharacterHeight(f.LabelBB.Font()), s(21));
    // The labels size themselves from their text in the scaled font.
    for (const ColourControls& g : ColourGroups(f)) {
        EXPECT_EQ(g.labelR.Bounds().left, s(10)) << g.group;
        EXPECT_EQ(g.labelR.Bounds().top, s(40)) << g.group;
        EXPECT_EQ(g.labelB.Bounds().top, s(90)) << g.group;
        EXPECT_GE(Height(g.labelR.Bounds()), s(21)) << g.group;
    }
    EXPECT_EQ(f.LabelText.Bounds().left, s(10));
    EXPECT_EQ(f.LabelText.Bounds().top, s(10));
    EXPECT_GT(Height(f.LabelText.Bounds()), 5 * s(12));
    // The radio items share the box under its caption, side by side.
    RECT item{};
    ::GetWindowRect(f.RadioHexDim.ItemHandle(1), &item);
    ::MapWindowPoints(nullptr, f.RadioHexDim.Handle(), reinterpret_cast<POINT*>(&item), 2);
    EXPECT_GE(item.left, s(165) / 2) << "the second item stands in the second column";
    EXPECT_LE(item.bottom, s(40));
    EXPECT_GE(Height(item), s(12));
    // One picture pixel to a screen pixel: the preview's canvas is as large as the scaled control.
    const RECT preview = f.ImageBackG.Bounds();
    EXPECT_EQ(f.ImageBackG.Picture().Width(), Width(preview));
    EXPECT_EQ(f.ImageBackG.Picture().Height(), Height(preview));
    const RECT icon = f.ImageScopeFont.Bounds();
    EXPECT_EQ(f.ImageScopeFont.Picture().Width(), Width(icon));
}

std::vector<HWND> ChildrenInOrder(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

TEST_F(MainFormLayout, WindowIsPlacedFixedAndOnTop) {
    RECT outer{};
    ::GetWindowRect(form->Handle(), &outer);
    EXPECT_EQ(outer.left, 200);
    EXPECT_EQ(outer.top, 100);
    RECT client{};
    ::GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, 467);
    EXPECT_EQ(client.bottom, 323);
    const LONG style = ::GetWindowLongA(form->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(::GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(form->Text(), "Velmira Ver.2.30");
    // The task-bar text is the application window's, which owns the main window.
    EXPECT_EQ(::GetWindow(form->Handle(), GW_OWNER), ui::Application::Get().Handle());
    char title[64] = {};
    ::GetWindowTextA(ui::Application::Get().Handle(), title, sizeof title);
    EXPECT_STREQ(title, "Velmira");
}

TEST_F(MainFormLayout, BothColourGroupsHoldTheSameCaptionsAndColours) {
    for (const ColourControls& g : ColourGroups(*form)) {
        EXPECT_EQ(g.copy.Text(), "コピー");
        EXPECT_EQ(g.save.Text(), "保存");
        EXPECT_EQ(g.load.Text(), "読込");
        EXPECT_EQ(g.labelR.Caption(), "R");
        EXPECT_EQ(g.labelR.FontColor(), RGB(255, 0, 0));
        EXPECT_EQ(g.labelG.FontColor(), RGB(0, 128, 0));
        EXPECT_EQ(g.labelB.FontColor(), RGB(0, 0, 255));
    }
}

TEST_F(MainFormLayout, TabOrderFollowsTheLayout) {
    const std::vector<HWND> top{form->PanelBackG.Handle(), form->GroupBackImage.Handle(), form->RadioHexDim.Handle(),
                                form->GroupFont.Handle(), form->GroupBackG.Handle()};
    EXPECT_EQ(ChildrenInOrder(form->Handle()), top);
    const std::vector<HWND> picture{form->CheckBackImage.Handle(), form->EditBackImage.Handle(), form->BtnRef.Handle(),
                                    form->BtnSPI.Handle()};
    EXPECT_EQ(ChildrenInOrder(form->GroupBackImage.Handle()), picture);
    const std::vector<HWND> text{form->EditFont.Handle(),    form->EditFR.Handle(),     form->EditFG.Handle(),
                                 form->EditFB.Handle(),      form->BarFR.Handle(),      form->BarFG.Handle(),
                                 form->BarFB.Handle(),       form->BtnCopyFont.Handle(), form->BtnSaveFont.Handle(),
                                 form->BtnLoadFont.Handle(), form->PanelScopeFont.Handle()};
    EXPECT_EQ(ChildrenInOrder(form->GroupFont.Handle()), text);
}

TEST_F(MainFormLayout, CaptionsAndStartingState) {
    EXPECT_EQ(form->CheckBackImage.Text(), "背景に画像を指定する");
    EXPECT_EQ(form->BtnRef.Text(), "参照");
    EXPECT_EQ(form->BtnSPI.Text(), "Plug-inのパス");
    EXPECT_EQ(form->GroupFont.Text(), "文字");
    EXPECT_EQ(form->GroupBackG.Text(), "背景");
    EXPECT_EQ(form->RadioHexDim.Text(), "表示形式");
    char item[32] = {};
    ::GetWindowTextA(form->RadioHexDim.ItemHandle(0), item, sizeof item);
    EXPECT_STREQ(item, "10進数");
    ::GetWindowTextA(form->RadioHexDim.ItemHandle(1), item, sizeof item);
    EXPECT_STREQ(item, "16進数");
    EXPECT_EQ(form->RadioHexDim.ItemIndex(), 1);
    EXPECT_EQ(form->LabelText.Caption(), "あいうえお\n\nABCDEFG\n\n0123456789");
    EXPECT_TRUE(form->BtnSPI.Enabled());
    EXPECT_FALSE(form->CheckBackImage.Checked());
    EXPECT_EQ(::SendMessageA(form->EditFont.Handle(), EM_GETLIMITTEXT, 0, 0), 6);
}

TEST_F(MainFormLayout, ScrollBarsRunFromZeroTo255) {
    int low = -1, high = -1;
    ::GetScrollRange(form->BarFR.Handle(), SB_CTL, &low, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 255);
}

TEST_F(MainFormLayout, PickIconsShowTheSightPicture) {
    ui::Canvas& icon = form->ImageScopeFont.Picture();
    ASSERT_EQ(icon.Width(), 29);
    ASSERT_EQ(icon.Height(), 29);
    EXPECT_EQ(icon.Pixel(0, 14), RGB(0, 0, 0));        // the horizontal line
    EXPECT_EQ(icon.Pixel(14, 0), RGB(0, 0, 0));        // the vertical line
    EXPECT_EQ(icon.Pixel(14, 14), RGB(192, 192, 192));  // the centre stays grey
    EXPECT_EQ(icon.Pixel(0, 0), RGB(192, 192, 192));
}

// Run under Wine prefixes of 96, 144 and 192 DPI: the window and every control are where the layout puts them
// (at 96 DPI, exactly its figures), at the scale of its monitor.
TEST_F(MainFormLayout, TheLayoutScalesWithTheDpiOfItsMonitor) {
    const UINT dpi = testsupport::PrefixDpi();
    ASSERT_EQ(ui::DpiOfWindow(form->Handle()), dpi) << "the prefix does not have the DPI it was made for";
    ASSERT_EQ(form->Dpi(), dpi);
    const auto s = [dpi](int value) { return ui::ScaleLayout(value, dpi); };
    RECT outer{};
    ::GetWindowRect(form->Handle(), &outer);
    EXPECT_EQ(outer.left, s(200));
    EXPECT_EQ(outer.top, s(100));
    RECT client{};
    ::GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, s(467));
    EXPECT_EQ(client.bottom, s(323));
    ExpectLaidOutFor(*form, dpi);
    // The pick icons' picture stays crisp: the sight enlarged by a whole factor, centred on its grey.
    ui::Canvas& icon = form->ImageScopeFont.Picture();
    const int factor = std::max(1, std::min(icon.Width(), icon.Height()) / 29);
    const int margin = (icon.Width() - 29 * factor) / 2;
    EXPECT_EQ(icon.Pixel(margin, margin + 14 * factor), RGB(0, 0, 0));  // the left end of the horizontal line
    EXPECT_EQ(icon.Pixel(margin + 14 * factor, margin + 14 * factor), RGB(192, 192, 192));  // the centre
    EXPECT_EQ(icon.Pixel(0, 0), RGB(192, 192, 192));
}

// A move to a monitor of another DPI, as the system reports it. Under Wine the message is sent by hand and the
// window's DPI as the system sees it stays as it was, so what follows comes from the window's own DPI.
TEST_F(MainFormLayout, ADpiChangeLaysTheWindowOutAgainAndKeepsWhatItShows) {
    const UINT start = form->Dpi();
    const UINT other = start == 144 ? 192 : 144;
    testsupport::SetTextColour(*form, "12", "AB", "0C");
    testsupport::SetBackColour(*form, "FE", "DC", "BA");
    ::SetFocus(form->EditFont.Handle());
    ::SendMessageA(form->EditFont.Handle(), EM_SETSEL, 1, 4);
    testsupport::PumpPending();
    RECT before{};
    ::GetWindowRect(form->Handle(), &before);

    const auto expectStateKept = [&] {
        EXPECT_EQ(form->EditFont.Text(), "12AB0C");
        EXPECT_EQ(form->EditBackG.Text(), "FEDCBA");
        EXPECT_EQ(form->EditFG.Text(), "AB");
        EXPECT_EQ(form->BarBB.Position(), 0xBA);
        EXPECT_EQ(form->LabelText.Caption(), "あいうえお\n\nABCDEFG\n\n0123456789");
        EXPECT_EQ(form->LabelText.FontColor(), RGB(0x12, 0xAB, 0x0C));
        EXPECT_EQ(form->LabelFG.FontColor(), RGB(0, 128, 0));
        EXPECT_EQ(form->RadioHexDim.ItemIndex(), 1);
        EXPECT_EQ(form->CheckBackImage.Text(), "背景に画像を指定する");
        EXPECT_EQ(::GetFocus(), form->EditFont.Handle());
        DWORD selStart = 0, selEnd = 0;
        ::SendMessageA(form->EditFont.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                       reinterpret_cast<LPARAM>(&selEnd));
        EXPECT_EQ(selStart, 1u);
        EXPECT_EQ(selEnd, 4u);
        // The preview shows the background colour over the whole of its new canvas.
        ui::Canvas& preview = form->ImageBackG.Picture();
        EXPECT_EQ(preview.Pixel(preview.Width() - 1, preview.Height() - 1), RGB(0xFE, 0xDC, 0xBA));
    };

    const RECT suggested{120, 60, 120 + ui::ScaleLayout(473, other), 60 + ui::ScaleLayout(350, other)};
    ::SendMessageA(form->Handle(), ui::kWmDpiChanged, MAKEWPARAM(other, other),
                   reinterpret_cast<LPARAM>(&suggested));
    testsupport::PumpPending();
    EXPECT_EQ(form->Dpi(), other);
    RECT outer{};
    ::GetWindowRect(form->Handle(), &outer);
    EXPECT_TRUE(testsupport::HasBounds(outer, suggested.left, suggested.top, Width(suggested), Height(suggested)));
    ExpectLaidOutFor(*form, other);
    expectStateKept();

    // And back: every rectangle as it was (at 96 DPI, exactly the layout's).
    ::SendMessageA(form->Handle(), ui::kWmDpiChanged, MAKEWPARAM(start, start), reinterpret_cast<LPARAM>(&before));
    testsupport::PumpPending();
    ::GetWindowRect(form->Handle(), &outer);
    EXPECT_TRUE(testsupport::HasBounds(outer, before.left, before.top, Width(before), Height(before)));
    ExpectLaidOutFor(*form, start);
    expectStateKept();
}

// Answers the program's message box, which is the active window while it is up.
void CALLBACK AnswerMessageBox(HWND, UINT, UINT_PTR, DWORD) {
    char kind[16] = {};
    const HWND box = ::GetActiveWindow();
    if (box && ::GetClassNameA(box, kind, sizeof kind) && std::string(kind) == "#32770")
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// Whatever takes the keyboard for a while (the contrast details, a message box), the control that had the focus
// has it again afterwards; F6 and Alt+F6 (Shift: back) move between the main window and the details, each time
// onto the control that had the focus there.
TEST_F(MainFormLayout, TheFocusComesBackAndF6MovesBetweenTheWindows) {
    using testsupport::PumpUntil;
    using testsupport::SendKey;
    ::SetForegroundWindow(form->Handle());
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == form->Handle(); }));
    const HWND edit = form->EditFG.Handle();
    ::SetFocus(edit);
    const auto focusIn = [](HWND window, HWND control) {
        return PumpUntil([&] { return ::GetActiveWindow() == window && ::GetFocus() == control; });
    };
    SendKey('D', {VK_CONTROL});
    ASSERT_TRUE(PumpUntil([&] { return form->ContrastDetails() && form->ContrastDetails()->Visible(); }));
    const HWND details = form->ContrastDetails()->Handle(), text = form->ContrastDetails()->Text.Handle();
    EXPECT_TRUE(focusIn(details, text)) << "Ctrl+D";
    SendKey(VK_F6);
    EXPECT_TRUE(focusIn(form->Handle(), edit)) << "F6";
    SendKey(VK_F6, {VK_MENU});
    EXPECT_TRUE(focusIn(details, text)) << "Alt+F6";
    SendKey(VK_F6, {VK_SHIFT});
    EXPECT_TRUE(focusIn(form->Handle(), edit)) << "Shift+F6";
    SendKey(VK_F6);
    ASSERT_TRUE(focusIn(details, text)) << "F6 again";
    SendKey(VK_ESCAPE);
    EXPECT_TRUE(focusIn(form->Handle(), edit)) << "after the details closed";

    const UINT_PTR answer = ::SetTimer(nullptr, 0, 100, &AnswerMessageBox);
    ui::Application::Get().ShowMessage("確認", MB_OK);
    ::KillTimer(nullptr, answer);
    EXPECT_TRUE(focusIn(form->Handle(), edit)) << "after a message box";
}

// The window menu's item whose text starts with `text`: whether it can be chosen.
bool MenuItemEnabled(HWND window, const std::string& text) {
    HMENU menu = ::GetSystemMenu(window, FALSE);
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        char item[128] = {};
        ::GetMenuStringA(menu, static_cast<UINT>(i), item, sizeof item, MF_BYPOSITION);
        if (std::string(item).rfind(text, 0) == 0)
            return !(::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED);
    }
    ADD_FAILURE() << "no item " << text;
    return false;
}

bool HasBlackPixels(const ui::Canvas& picture) {
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            if (picture.Pixel(x, y) == RGB(0, 0, 0)) return true;
    return false;
}

// While a picture is the background its colour cannot be picked: the window menu's item is greyed out and the pick
// icon's sight is drawn grey, as a disabled control's text is; both come back with the colour.
TEST_F(MainFormLayout, InPictureModeTheBackgroundPickIsShownDisabled) {
    const testsupport::MessageBoxRecorder boxes;
    for (const bool ticked : {true, false}) {
        SCOPED_TRACE(ticked ? "ticked" : "unticked");
        ::SendMessageA(form->CheckBackImage.Handle(), BM_CLICK, 0, 0);
        ASSERT_EQ(form->Background().UseImage(), ticked);
        EXPECT_EQ(MenuItemEnabled(form->Handle(), "背景色をスポイトで取る"), !ticked);
        EXPECT_TRUE(MenuItemEnabled(form->Handle(), "文字色をスポイトで取る"));
        ::GdiFlush();
        EXPECT_EQ(HasBlackPixels(form->ImageScopeBackG.Picture()), !ticked);
        EXPECT_TRUE(HasBlackPixels(form->ImageScopeFont.Picture()));
    }
}

// A change of the system's colours while the program runs (a high-contrast theme switched on) reaches the controls
// too, which the system does not tell: the colours they keep are read again.
TEST_F(MainFormLayout, ASystemColourChangeReachesTheControls) {
    const int elements[] = {COLOR_BTNFACE, COLOR_MENU};
    const COLORREF before[] = {::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_MENU)};
    const COLORREF changed[] = {RGB(0x20, 0x40, 0x60), RGB(0x60, 0x40, 0x20)};
    ASSERT_TRUE(::SetSysColors(2, elements, changed));
    const bool followed = testsupport::PumpUntil([&] {
        return form->GroupFont.Color() == changed[0] && form->PanelScopeBackG.Color() == changed[0];
    });
    HDC dc = ::GetDC(form->EditBackImage.Handle());
    const auto brush = ::SendMessageA(form->GroupBackImage.Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(form->EditBackImage.Handle()));
    const COLORREF editBack = ::GetBkColor(dc);
    ::ReleaseDC(form->EditBackImage.Handle(), dc);
    ::SetSysColors(2, elements, before);
    EXPECT_TRUE(followed) << "a group box or a panel kept the old face colour";
    EXPECT_NE(brush, 0);
    EXPECT_EQ(editBack, changed[1]) << "the picture's path box kept the old menu colour";
    EXPECT_TRUE(testsupport::PumpUntil([&] { return form->GroupFont.Color() == before[0]; }));
}

// The contrast details beside the main window go and come back with it.
TEST_F(MainFormLayout, MinimisingHidesTheWindowAndRestoringShowsItAgain) {
    ui::Application::Get().SetMainForm(form.get());
    form->ShowContrastDetails();
    const HWND details = form->ContrastDetails()->Handle();
    ::SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindowVisible(form->Handle()); }));
    EXPECT_FALSE(::IsWindowVisible(details));
    EXPECT_TRUE(::IsIconic(ui::Application::Get().Handle()));
    ::SendMessageA(ui::Application::Get().Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ::IsWindowVisible(form->Handle()) != FALSE; }));
    EXPECT_TRUE(::IsWindowVisible(details));
    ui::Application::Get().SetMainForm(nullptr);
}

}  // namespace
