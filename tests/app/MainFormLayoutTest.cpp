// The main window as the user first sees it: placement, border, every control's rectangle, caption and order.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/MainForm.h"
#include "support/MainWindowTest.h"
#include "support/WindowTestSupport.h"
#include "ui/Application.h"

namespace {

class MainFormLayout : public testsupport::MainWindowTest {};



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

TEST_F(MainFormLayout, TopLevelControlsAreWhereTheLayoutPutsThem) {
    EXPECT_TRUE(testsupport::HasBounds(form->PanelBackG, 5, 5, 165, 190));
    EXPECT_TRUE(testsupport::HasBounds(form->GroupBackImage, 5, 255, 455, 60));
    EXPECT_TRUE(testsupport::HasBounds(form->RadioHexDim, 5, 210, 165, 40));
    EXPECT_TRUE(testsupport::HasBounds(form->GroupFont, 180, 5, 280, 120));
    EXPECT_TRUE(testsupport::HasBounds(form->GroupBackG, 180, 130, 280, 120));
    EXPECT_TRUE(testsupport::HasBounds(form->ImageBackG, 1, 1, 163, 188));
    EXPECT_TRUE(testsupport::HasBounds(form->CheckBackImage, 20, 0, 137, 17));
    EXPECT_TRUE(testsupport::HasBounds(form->EditBackImage, 10, 25, 300, 20));
    EXPECT_TRUE(testsupport::HasBounds(form->BtnRef, 310, 25, 50, 20));
    EXPECT_TRUE(testsupport::HasBounds(form->BtnSPI, 370, 25, 80, 20));
    const RECT label = form->LabelText.Bounds();
    EXPECT_EQ(label.left, 10);
    EXPECT_EQ(label.top, 10);
    EXPECT_GT(label.bottom - label.top, 5 * 12) << "the label sizes itself to the five lines of the sample";
}

TEST_F(MainFormLayout, BothColourGroupsHoldTheSameControlsAtTheSamePlaces) {
    struct Group {
        ui::Edit &hex, &r, &g, &b;
        ui::ScrollBar &barR, &barG, &barB;
        ui::Button &copy, &save, &load;
        ui::Panel& scope;
        ui::Image& image;
        ui::Label &labelR, &labelG, &labelB;
    };
    const Group groups[] = {
        {form->EditFont, form->EditFR, form->EditFG, form->EditFB, form->BarFR, form->BarFG, form->BarFB,
         form->BtnCopyFont, form->BtnSaveFont, form->BtnLoadFont, form->PanelScopeFont, form->ImageScopeFont,
         form->LabelFR, form->LabelFG, form->LabelFB},
        {form->EditBackG, form->EditBR, form->EditBG, form->EditBB, form->BarBR, form->BarBG, form->BarBB,
         form->BtnCopyBackG, form->BtnSaveBackG, form->BtnLoadBackG, form->PanelScopeBackG, form->ImageScopeBackG,
         form->LabelBR, form->LabelBG, form->LabelBB}};
    for (const Group& g : groups) {
        EXPECT_TRUE(testsupport::HasBounds(g.hex, 15, 15, 60, 20));
        EXPECT_TRUE(testsupport::HasBounds(g.r, 30, 40, 30, 20));
        EXPECT_TRUE(testsupport::HasBounds(g.g, 30, 65, 30, 20));
        EXPECT_TRUE(testsupport::HasBounds(g.b, 30, 90, 30, 20));
        EXPECT_TRUE(testsupport::HasBounds(g.barR, 70, 43, 200, 16));
        EXPECT_TRUE(testsupport::HasBounds(g.barG, 70, 68, 200, 16));
        EXPECT_TRUE(testsupport::HasBounds(g.barB, 70, 93, 200, 16));
        EXPECT_TRUE(testsupport::HasBounds(g.copy, 85, 15, 50, 20));
        EXPECT_TRUE(testsupport::HasBounds(g.save, 140, 15, 40, 20));
        EXPECT_TRUE(testsupport::HasBounds(g.load, 179, 15, 40, 20));
        EXPECT_TRUE(testsupport::HasBounds(g.scope, 230, 9, 31, 31));
        EXPECT_TRUE(testsupport::HasBounds(g.image, 1, 1, 29, 29));
        EXPECT_EQ(g.copy.Text(), "コピー");
        EXPECT_EQ(g.save.Text(), "保存");
        EXPECT_EQ(g.load.Text(), "読込");
        EXPECT_EQ(g.labelR.Caption(), "R");
        EXPECT_EQ(g.labelR.FontColor(), RGB(255, 0, 0));
        EXPECT_EQ(g.labelG.FontColor(), RGB(0, 128, 0));
        EXPECT_EQ(g.labelB.FontColor(), RGB(0, 0, 255));
        EXPECT_EQ(g.labelR.Bounds().left, 10);
        EXPECT_EQ(g.labelB.Bounds().top, 90);
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

TEST_F(MainFormLayout, MinimisingHidesTheWindowAndRestoringShowsItAgain) {
    ui::Application::Get().SetMainForm(form.get());
    ::SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindowVisible(form->Handle()); }));
    EXPECT_TRUE(::IsIconic(ui::Application::Get().Handle()));
    ::SendMessageA(ui::Application::Get().Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return ::IsWindowVisible(form->Handle()) != FALSE; }));
    ui::Application::Get().SetMainForm(nullptr);
}

}  // namespace
