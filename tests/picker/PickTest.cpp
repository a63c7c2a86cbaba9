// Picking a colour from the screen with the real main window, real mouse input and a window of a known colour.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "picker/LoupeForm.h"
#include "picker/ScopeForm.h"
#include "support/MainWindowTest.h"
#include "support/PatternWindow.h"
#include "support/WindowTestSupport.h"
#include "ui/DragController.h"
#include "ui/SystemLibrary.h"
#include "ui/UniqueHandle.h"

namespace {

using testsupport::PumpPending;
using testsupport::PumpUntil;
using testsupport::SendKey;
using testsupport::SendMouse;

constexpr COLORREF kPatchColour = RGB(0x12, 0xAB, 0x0C);
constexpr RECT kPatchRect{800, 600, 920, 720};

BOOL CALLBACK FindLoupe(HWND hwnd, LPARAM found) {
    if (dynamic_cast<TLoupeForm*>(ui::Window::FromHandle(hwnd))) *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

// Whether a loupe window of this thread exists (its text is its readout, so it is found by its object).
bool AnyLoupe() {
    bool found = false;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindLoupe, reinterpret_cast<LPARAM>(&found));
    return found;
}

COLORREF ScreenPixel(POINT p) {
    ui::ScopedGetDC screen(nullptr);
    return ::GetPixel(screen.get(), p.x, p.y);
}

RECT WindowRect(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

// The sight on this test's display: its size, how far its top-left corner lies above and left of the pointer,
// and how far its centre pixel does. At 96 DPI 29 x 29 with the centre 5 pixels off; at 150% and 200% the
// picture doubled, the offset of 5 doubled to 10, and the centre of an even size one pixel further.
struct SightGeometry {
    int size, reach, centreOffset;
};

SightGeometry Sight() {
    return testsupport::PrefixDpi() < 144 ? SightGeometry{29, 19, 5} : SightGeometry{58, 39, 11};
}

// Where the sight stands with the pointer at p.
RECT ScopeRectFor(POINT p) {
    const SightGeometry sight = Sight();
    return RECT{p.x - sight.reach, p.y - sight.reach, p.x - sight.reach + sight.size, p.y - sight.reach + sight.size};
}

enum class Target { Font, BackG };

class Pick : public testsupport::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ::SetForegroundWindow(form->Handle());
        SetColours("000000", "FFFFFF");
        patch = std::make_unique<testsupport::PatternWindow>(kPatchRect, kPatchColour);
        ASSERT_TRUE(PumpUntil([] { return ScreenPixel(PatchPoint()) == kPatchColour; }));
    }
    void TearDown() override {
        if (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) SendMouse(MOUSEEVENTF_LEFTUP);
        PumpPending();
        MainWindowTest::TearDown();
        patch.reset();
        EXPECT_EQ(::FindWindowA(nullptr, "ScopeForm"), nullptr) << "the sight outlived the main window";
        EXPECT_FALSE(AnyLoupe()) << "the loupe outlived the main window";
    }

    static POINT PatchPoint() {
        return POINT{(kPatchRect.left + kPatchRect.right) / 2, (kPatchRect.top + kPatchRect.bottom) / 2};
    }

    // Each colour as six hexadecimal digits, RRGGBB.
    void SetColours(const std::string& text, const std::string& back) {
        testsupport::SetTextColour(*form, text.substr(0, 2), text.substr(2, 2), text.substr(4, 2));
        testsupport::SetBackColour(*form, back.substr(0, 2), back.substr(2, 2), back.substr(4, 2));
        PumpPending();
    }
    // The scope window of the pick in progress, or null.
    TScopeForm* Scope() { return form ? form->Pick().Scope() : nullptr; }
    std::string TextColour() const { return HexFR(*form) + HexFG(*form) + HexFB(*form); }
    std::string BackColour() const { return HexBR(*form) + HexBG(*form) + HexBB(*form); }

    ui::Panel& PanelOf(Target t) { return t == Target::Font ? form->PanelScopeFont : form->PanelScopeBackG; }

    // A point of the panel's client area in screen coordinates; the image fills it from (1, 1).
    POINT OnPanel(Target t, int x, int y) {
        POINT p{x, y};
        ::ClientToScreen(PanelOf(t).Handle(), &p);
        return p;
    }
    POINT OnIcon(Target t, int x, int y) { return OnPanel(t, x + 1, y + 1); }

    // Presses the left button at p and waits for the sight to show.
    void PressAt(POINT p) {
        ASSERT_TRUE(::SetCursorPos(p.x, p.y));
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        ASSERT_TRUE(PumpUntil([this] { return Scope() != nullptr; })) << "no scope window after the press";
    }
    // Moves the pointer and waits for the sight's timer to catch up.
    void MoveTo(POINT p) {
        ASSERT_TRUE(::SetCursorPos(p.x, p.y));
        WaitForSightAt(p);
    }
    void WaitForSightAt(POINT p) {
        ASSERT_TRUE(PumpUntil([this, p] { return Scope() && SameRect(WindowRect(Scope()->Handle()), ScopeRectFor(p)); }))
            << "the sight did not follow the pointer to " << p.x << "," << p.y;
    }
    void ReleaseAndWait() {
        SendMouse(MOUSEEVENTF_LEFTUP);
        ASSERT_TRUE(PumpUntil([this] { return Scope() == nullptr && !ui::DragController::Get().Active(); }));
    }

    std::unique_ptr<testsupport::PatternWindow> patch;
};

class PickInto : public Pick, public ::testing::WithParamInterface<Target> {};

TEST_P(PickInto, DragOntoAnotherWindowTakesThePixelUnderTheSightIntoThatColourOnly) {
    const Target target = GetParam();
    const POINT press = OnIcon(target, 15, 15);
    PressAt(press);
    HWND scope = Scope()->Handle();
    EXPECT_TRUE(SameRect(WindowRect(scope), ScopeRectFor(press)));
    EXPECT_TRUE(::IsWindowVisible(scope));
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_NO)));
    EXPECT_NE(::GetActiveWindow(), scope);

    // A second start while the pick runs keeps the one sight.
    TScopeForm* first = Scope();
    form->ImageScopeStartDrag(target == Target::Font ? form->ImageScopeFont : form->ImageScopeBackG);
    EXPECT_EQ(Scope(), first);

    // The pointer's hot spot is 5 pixels (at 96 DPI) right of and below the pick point.
    const POINT pointer{PatchPoint().x + Sight().centreOffset, PatchPoint().y + Sight().centreOffset};
    MoveTo(pointer);
    EXPECT_EQ(Scope()->GetCenter().x, PatchPoint().x);
    EXPECT_EQ(Scope()->GetCenter().y, PatchPoint().y);
    ReleaseAndWait();
    EXPECT_FALSE(::IsWindow(scope));

    const std::string patchColour = "12AB0C";
    if (target == Target::Font) {
        EXPECT_EQ(TextColour(), patchColour);
        EXPECT_EQ(BackColour(), "FFFFFF");
        EXPECT_EQ(form->EditFont.Text(), "12AB0C");
    } else {
        EXPECT_EQ(BackColour(), patchColour);
        EXPECT_EQ(TextColour(), "000000");
        EXPECT_EQ(form->EditBackG.Text(), "12AB0C");
    }

    // The next press opens a fresh sight.
    PressAt(OnIcon(target, 15, 15));
    EXPECT_NE(Scope(), nullptr);
    ReleaseAndWait();
}

INSTANTIATE_TEST_SUITE_P(BothColours, PickInto, ::testing::Values(Target::Font, Target::BackG),
                         [](const ::testing::TestParamInfo<Target>& info) {
                             return std::string(info.param == Target::Font ? "Text" : "Background");
                         });

TEST_F(Pick, TheSightIsShapedLikeTheBlackLinesOfItsPicture) {
    PressAt(OnIcon(Target::Font, 15, 15));
    HWND scope = Scope()->Handle();
    ui::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(::GetWindowRgn(scope, region.get()), COMPLEXREGION);

    // The pick icon shows the same picture: its black pixels and nothing else are the window.
    ui::Canvas& picture = form->ImageScopeFont.Picture();
    int black = 0;
    for (int y = 0; y < 29; ++y) {
        for (int x = 0; x < 29; ++x) {
            const bool isBlack = picture.Pixel(x, y) == RGB(0, 0, 0);
            black += isBlack;
            EXPECT_EQ(::PtInRegion(region.get(), x, y) != FALSE, isBlack) << "pixel " << x << "," << y;
        }
    }
    EXPECT_EQ(black, 172);
    EXPECT_FALSE(::PtInRegion(region.get(), 14, 14));

    // The system may merge rows that are alike; the rectangles still cover exactly 172 pixels, one row high or
    // several rows of the same span.
    const DWORD size = ::GetRegionData(region.get(), 0, nullptr);
    std::vector<char> data(size);
    auto* header = reinterpret_cast<RGNDATA*>(data.data());
    ASSERT_EQ(::GetRegionData(region.get(), size, header), size);
    const auto* rects = reinterpret_cast<const RECT*>(header->Buffer);
    long area = 0;
    for (DWORD i = 0; i < header->rdh.nCount; ++i)
        area += (rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
    EXPECT_EQ(area, 172);
    EXPECT_LE(header->rdh.nCount, 110u);
    ReleaseAndWait();
}

TEST_F(Pick, AClickWithoutMovingPicksFromTheProgramsOwnWindow) {
    // Pressed at the icon's (19, 19), the sight's centre is the icon's own silver centre pixel (14, 14).
    const POINT press = OnIcon(Target::Font, 19, 19);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(OnIcon(Target::Font, 14, 14)) == RGB(0xC0, 0xC0, 0xC0); }));
    PressAt(press);
    ReleaseAndWait();
    EXPECT_EQ(TextColour(), "C0C0C0");
}

TEST_F(Pick, ReleasingNearTheTopLeftCornerPicksOutsideTheScreenAsWhite) {
    PressAt(OnIcon(Target::Font, 15, 15));
    MoveTo(POINT{2, 2});
    EXPECT_EQ(Scope()->GetCenter().x, -3);
    EXPECT_EQ(Scope()->GetCenter().y, -3);
    ReleaseAndWait();
    EXPECT_EQ(TextColour(), "FFFFFF");
}

TEST_F(Pick, APressOnThePanelsBevelDragsWithoutASight) {
    ASSERT_TRUE(::SetCursorPos(OnPanel(Target::Font, 0, 0).x, OnPanel(Target::Font, 0, 0).y));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([] { return ui::DragController::Get().Active(); }));
    EXPECT_EQ(Scope(), nullptr);
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_NO)));
    ASSERT_TRUE(::SetCursorPos(PatchPoint().x, PatchPoint().y));
    SendMouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([] { return !ui::DragController::Get().Active(); }));
    EXPECT_EQ(Scope(), nullptr);
    EXPECT_EQ(TextColour(), "000000");
    EXPECT_EQ(BackColour(), "FFFFFF");
}

// Esc ends the drag as a release does, with a pick where the sight stands: with the loupe (the default) and with
// it turned off in the settings.
class PickWithEsc : public Pick, public ::testing::WithParamInterface<bool> {
protected:
    PickWithEsc() {
        if (!GetParam()) settings = "[Option]\r\nLoupe=0\r\n";
    }
};

TEST_P(PickWithEsc, EscEndsTheDragWithAPickIntoThatColourOnly) {
    SetColours("123456", "ABCDEF");
    PressAt(OnIcon(Target::Font, 15, 15));
    MoveTo(POINT{PatchPoint().x + 5, PatchPoint().y + 5});
    if (GetParam()) {
        ASSERT_TRUE(PumpUntil([this] { return form->Pick().Loupe() && ::IsWindowVisible(form->Pick().Loupe()->Handle()); }));
    }
    SendKey(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([this] { return Scope() == nullptr && !ui::DragController::Get().Active(); }));
    EXPECT_EQ(form->Pick().Loupe(), nullptr);
    EXPECT_EQ(TextColour(), "12AB0C");
    EXPECT_EQ(BackColour(), "ABCDEF");

    // The drag is over: releasing the button afterwards picks nothing more.
    SetColours("000000", "FFFFFF");
    SendMouse(MOUSEEVENTF_LEFTUP);
    PumpUntil([] { return !(::GetAsyncKeyState(VK_LBUTTON) & 0x8000); }, 2000);
    PumpPending();
    EXPECT_EQ(TextColour(), "000000");
}

INSTANTIATE_TEST_SUITE_P(LoupeOnAndOff, PickWithEsc, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "WithTheLoupe" : "WithoutTheLoupe");
                         });

TEST_F(Pick, AnArrowKeyMovesThePickPointByOnePixelAndNotTheCaretOfTheFocusedEdit) {
    const testsupport::PatternWindow pattern(RECT{300, 450, 700, 650});
    ::SetFocus(form->EditFont.Handle());
    ::SendMessageA(form->EditFont.Handle(), EM_SETSEL, 2, 2);
    PressAt(OnIcon(Target::Font, 15, 15));
    const POINT pointer{505, 555};
    MoveTo(pointer);
    const POINT before = Scope()->GetCenter();
    SendKey(VK_RIGHT);
    WaitForSightAt(POINT{pointer.x + 1, pointer.y});
    POINT now{};
    ::GetCursorPos(&now);
    EXPECT_EQ(now.x, pointer.x + 1);
    EXPECT_EQ(now.y, pointer.y);
    EXPECT_EQ(Scope()->GetCenter().x, before.x + 1);
    EXPECT_EQ(Scope()->GetCenter().y, before.y);
    DWORD start = 0, end = 0;
    ::SendMessageA(form->EditFont.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 2u);
    // The new centre lay under the sight's line until the nudge: the pattern, in this thread, repaints it once
    // the queue is idle (another program would on its own).
    const std::uint32_t taken = testsupport::PatternPixel(before.x + 1, before.y);
    const COLORREF shown = RGB(taken >> 16, (taken >> 8) & 0xFF, taken & 0xFF);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(POINT{before.x + 1, before.y}) == shown; }));
    ReleaseAndWait();
    char hex[7];
    std::snprintf(hex, sizeof hex, "%06X", static_cast<unsigned>(taken));
    EXPECT_EQ(form->EditFont.Text(), hex);
}

// The left-button presses and releases that reach the windows under the pointer, seen from below every window
// as the system hands them out (a low-level hook installed before the pick's own, so called after it).
class ClicksBeneath {
public:
    ClicksBeneath() {
        current_ = this;
        hook_.reset(::SetWindowsHookExA(WH_MOUSE_LL, &ClicksBeneath::Seen, ::GetModuleHandleA(nullptr), 0));
    }
    ClicksBeneath(const ClicksBeneath&) = delete;
    ClicksBeneath& operator=(const ClicksBeneath&) = delete;
    ~ClicksBeneath() {
        hook_.reset();
        current_ = nullptr;
    }
    bool Watching() const noexcept { return static_cast<bool>(hook_); }
    int count = 0;

private:
    static LRESULT CALLBACK Seen(int code, WPARAM message, LPARAM data) {
        if (code == HC_ACTION && current_ && (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)) ++current_->count;
        return ::CallNextHookEx(nullptr, code, message, data);
    }
    static inline ClicksBeneath* current_ = nullptr;
    ui::UniqueHook hook_;
};

// A pick with no mouse button down, started with Ctrl+T or Ctrl+B: the sight follows the pointer, the arrow keys
// move it, Enter, Space or a left click take the pixel under the sight's centre as a drag's end does and Esc gives
// the pick up. No key reaches the edit with the focus meanwhile, and the click reaches no window beneath. "[" and
// "]" (and the wheel with Ctrl) step the side of the square the pick samples, which stays for the next pick: over
// one-pixel black and white squares a 3 x 3 square centred on black takes the mean of five black and four white
// pixels, with Shift the pixel that stands out most against the other colour, and back at one pixel exactly the
// centre pixel. The sight leaves the square uncovered, and the loupe's text gives the square's figures.
TEST_F(Pick, AKeyboardPickTakesThePixelWithEnterOrSpaceAndEscGivesItUp) {
    const testsupport::PatternWindow checks(RECT{300, 450, 420, 570}, &testsupport::CheckerPixel, "checks");
    const POINT onChecks{360, 510};  // black: 360 + 510 is even
    struct Case {
        const char* name;
        POINT at;
        std::vector<WORD> sizeKeys;
        int ctrlWheel;  // notches turned with Ctrl after the keys
        WORD start, end;
        bool shift;
        std::string text, back;  // afterwards, RRGGBB
        const char* readout;     // a part of the loupe's window text before the end
    };
    const std::string text = "123456", back = "ABCDEF", patchColour = "12AB0C";
    const Case cases[] = {
        {"CtrlTThenEnter", PatchPoint(), {}, 0, 'T', VK_RETURN, false, patchColour, back, "12AB0C  "},
        {"CtrlBThenSpace", PatchPoint(), {}, 0, 'B', VK_SPACE, false, text, patchColour, "12AB0C  "},
        {"CtrlTThenEsc", PatchPoint(), {}, 0, 'T', VK_ESCAPE, false, text, back, nullptr},
        {"CtrlTThenClick", PatchPoint(), {}, 0, 'T', 0, false, patchColour, back, nullptr},
        {"SquareOfThreeTakesTheMean", onChecks, {VK_OEM_6, VK_OEM_6, VK_OEM_4, VK_OEM_6}, -1, 'T', VK_RETURN, false,
         "717171", back, "、最明 FFFFFF "},
        {"ShiftTakesTheStrongestPixel", onChecks, {}, 0, 'B', VK_SPACE, true, text, "FFFFFF", "、最明 FFFFFF "},
        {"SizeOneTakesTheCentrePixel", onChecks, {VK_OEM_4}, 0, 'T', VK_RETURN, false, "000000", back, "000000  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClicksBeneath beneath;
        ASSERT_TRUE(beneath.Watching());
        SetColours(text, back);
        ::SetFocus(form->EditFont.Handle());
        ::SendMessageA(form->EditFont.Handle(), EM_SETSEL, 2, 2);
        // The sight's centre one pixel left of the point, where the arrow key then brings it.
        const POINT pointer{c.at.x - 1 + Sight().centreOffset, c.at.y + Sight().centreOffset};
        ASSERT_TRUE(::SetCursorPos(pointer.x, pointer.y));
        SendKey(c.start, {VK_CONTROL});
        ASSERT_TRUE(PumpUntil([this] { return Scope() != nullptr; })) << "no sight";
        EXPECT_FALSE(::GetAsyncKeyState(VK_LBUTTON) & 0x8000);
        WaitForSightAt(pointer);
        SendKey(VK_RIGHT);
        WaitForSightAt(POINT{pointer.x + 1, pointer.y});
        EXPECT_EQ(Scope()->GetCenter().x, c.at.x);
        for (const WORD key : c.sizeKeys) SendKey(key);
        if (c.ctrlWheel) testsupport::SendWheel(c.ctrlWheel * WHEEL_DELTA, {VK_CONTROL});
        // The new centre lay under the sight's line until the nudge; the window there, in this thread, repaints it
        // once the queue is idle.
        const COLORREF under = ScreenPixel(c.at);
        ASSERT_TRUE(PumpUntil([&] {
            return ScreenPixel(c.at) == (c.at.x == PatchPoint().x ? kPatchColour : RGB(0, 0, 0)) &&
                   (!c.readout || (form->Pick().Loupe() &&
                                   form->Pick().Loupe()->Text().find(c.readout) != std::string::npos));
        })) << "under the sight " << std::hex << under << ", loupe "
            << (form->Pick().Loupe() ? form->Pick().Loupe()->Text() : std::string());
        DWORD selStart = 0, selEnd = 0;
        ::SendMessageA(form->EditFont.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                       reinterpret_cast<LPARAM>(&selEnd));
        EXPECT_EQ(selStart, 2u) << "the arrow key moved the caret of the focused edit";
        if (!c.end) {
            SendMouse(MOUSEEVENTF_LEFTDOWN);
            SendMouse(MOUSEEVENTF_LEFTUP);
        } else if (c.shift) {
            SendKey(c.end, {VK_SHIFT});
        } else {
            SendKey(c.end);
        }
        ASSERT_TRUE(PumpUntil([this] { return Scope() == nullptr && form->Pick().Loupe() == nullptr; }));
        EXPECT_EQ(beneath.count, 0) << "the click went on to the window under the pointer";
        PumpPending();
        EXPECT_EQ(TextColour(), c.text);
        EXPECT_EQ(BackColour(), c.back);
        EXPECT_EQ(form->EditFont.Text(), c.text);
    }
    EXPECT_EQ(form->Pick().SampleSize(), 1);
}

TEST_F(Pick, LosingTheCaptureEndsTheDragWithAPick) {
    PressAt(OnIcon(Target::BackG, 15, 15));
    MoveTo(POINT{PatchPoint().x + 5, PatchPoint().y + 5});
    ::SetCapture(patch->Handle());  // another window takes the mouse
    ASSERT_TRUE(PumpUntil([this] { return Scope() == nullptr; }));
    EXPECT_EQ(BackColour(), "12AB0C");
    EXPECT_FALSE(ui::DragController::Get().Active());
    ::ReleaseCapture();
}

TEST_F(Pick, DestroyingTheMainWindowMidPickTakesTheSightWithIt) {
    PressAt(OnIcon(Target::Font, 15, 15));
    HWND scope = Scope()->Handle();
    form.reset();
    EXPECT_EQ(Scope(), nullptr);
    EXPECT_FALSE(::IsWindow(scope));
    EXPECT_FALSE(ui::DragController::Get().Active());
}

// The manifest (the test carries the program's resources) makes the process per-monitor DPI aware, so that
// pointer positions, window placement and the pixel read all use the same physical screen coordinates.
TEST(PickScreen, TheProgramIsPerMonitorDpiAware) {
    using GetContext = HANDLE(WINAPI*)();
    using GetAwareness = int(WINAPI*)(HANDLE);
    const auto getContext = ui::LoadedSystemExport<GetContext>("user32.dll", "GetThreadDpiAwarenessContext");
    const auto getAwareness = ui::LoadedSystemExport<GetAwareness>("user32.dll", "GetAwarenessFromDpiAwarenessContext");
    ASSERT_TRUE(getContext && getAwareness);
    constexpr int kPerMonitorAware = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE
    EXPECT_EQ(getAwareness(getContext()), kPerMonitorAware);
}

}  // namespace
