// The preview as a keyboard reaches it on the real main window: a tab stop in its place that takes the focus
// only when asked for it, shows the focus rectangle, and opens its menu with Shift+F10.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/MainForm.h"
#include "support/MainWindowTest.h"
#include "support/MenuChooser.h"
#include "support/WindowTestSupport.h"

namespace {

using testsupport::MenuChooser;
using testsupport::PumpUntil;

class PreviewFocus : public testsupport::MainWindowTest {
protected:
    void SetUp() override {
        ::SetCursorPos(0, 0);  // away from the preview, so that no tip covers it by chance
        MainWindowTest::SetUp();
        testsupport::SetTextColour(*form, "00", "00", "00");
        testsupport::SetBackColour(*form, "FF", "FF", "FF");
    }
};

// The pixels of one row of the preview on the screen, inside its bevel, that differ from `colour`.
int PixelsUnlike(const ui::Panel& preview, int row, COLORREF colour) {
    RECT client{};
    ::GetClientRect(preview.Handle(), &client);
    POINT origin{0, row};
    ::ClientToScreen(preview.Handle(), &origin);
    ui::ScopedGetDC screen(nullptr);
    int unlike = 0;
    for (int x = preview.Scale(1); x < client.right - preview.Scale(1); ++x)
        unlike += ::GetPixel(screen.get(), origin.x + x, origin.y) != colour;
    return unlike;
}

// The preview is a tab stop in its place, taking the focus only when asked for it: by Tab, or by a click. While
// it has the focus it shows the focus rectangle, and Shift+F10 opens its menu.
TEST_F(PreviewFocus, TabReachesThePreviewWhoseMenuOpensWithShiftF10) {
    ::SetForegroundWindow(form->Handle());
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == form->Handle(); }));
    EXPECT_EQ(::GetFocus(), form->Handle()) << "a control took the focus when the window opened";
    const HWND preview = form->PanelBackG.Handle();
    const int focusRow = form->PanelBackG.Scale(3);
    EXPECT_EQ(PixelsUnlike(form->PanelBackG, focusRow, RGB(255, 255, 255)), 0);

    testsupport::SendKey(VK_TAB);
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == preview; })) << "Tab did not reach the preview";
    EXPECT_TRUE(PumpUntil([&] { return PixelsUnlike(form->PanelBackG, focusRow, RGB(255, 255, 255)) > 0; }))
        << "no focus rectangle on the preview";

    MenuChooser chooser("S");
    testsupport::SendKey(VK_F10, {VK_SHIFT});
    ASSERT_TRUE(PumpUntil([&] { return chooser.pressed; })) << "Shift+F10 opened no menu";
    EXPECT_EQ(chooser.items.size(), 6u);
    EXPECT_TRUE(PumpUntil([&] { return form->EditFont.Text() == "FFFFFF" && form->EditBackG.Text() == "000000"; }))
        << "the menu's swap did not run";

    testsupport::Retype(form->EditFR, "00");
    EXPECT_TRUE(PumpUntil([&] { return PixelsUnlike(form->PanelBackG, focusRow, RGB(0, 0, 0)) == 0; }))
        << "the focus rectangle stayed after the focus left";
    RECT panel{};
    ::GetWindowRect(preview, &panel);
    ::SetCursorPos(panel.left + 20, panel.bottom - 20);
    testsupport::SendMouse(MOUSEEVENTF_LEFTDOWN);
    testsupport::SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return ::GetFocus() == preview; })) << "a click did not give the preview the focus";
}

}  // namespace
