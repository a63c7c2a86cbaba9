// What screen readers hear of the main window: every control's name and role, and the loupe's readout as it
// changes.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <string>

#include "app/MainForm.h"
#include "color/Contrast.h"
#include "palettewindows/ColorPallet.h"
#include "support/MainWindowTest.h"
#include "support/WindowTestSupport.h"
#include "ui/IniFile.h"

namespace {

class ScreenReader : public testsupport::MainWindowTest {};

std::string Narrow(BSTR text) {
    if (!text) return "(none)";
    const int length = ::WideCharToMultiByte(932, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(std::max(length, 1)), '\0');
    ::WideCharToMultiByte(932, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    ::SysFreeString(text);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

// What a screen reader gets of a window's client object, through oleacc as it does: its name, value and role,
// whether it hands out the list of its children (IEnumVARIANT) as the system's objects do, and the window that
// oleacc finds for it.
struct ReaderView {
    std::string name = "(no object)", value;
    long role = 0;
    bool children = false;
    HWND window = nullptr;
};

ReaderView Read(HWND window) {
    ReaderView view;
    IAccessible* object = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&object))) ||
        !object)
        return view;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    view.name = object->get_accName(self, &text) == S_OK ? Narrow(text) : "(none)";
    text = nullptr;
    view.value = object->get_accValue(self, &text) == S_OK ? Narrow(text) : "(none)";
    VARIANT role{};
    if (object->get_accRole(self, &role) == S_OK && role.vt == VT_I4) view.role = role.lVal;
    IEnumVARIANT* children = nullptr;
    if (SUCCEEDED(object->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&children))) && children) {
        view.children = children->Reset() == S_OK;
        children->Release();
    }
    ::WindowFromAccessibleObject(object, &view.window);
    object->Release();
    return view;
}

// The name-change events screen readers hear for one window.
class NameChanges {
public:
    explicit NameChanges(HWND window) : window_(window) {
        current_ = this;
        hook_ = ::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, &NameChanges::Heard,
                                  ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    }
    NameChanges(const NameChanges&) = delete;
    NameChanges& operator=(const NameChanges&) = delete;
    ~NameChanges() {
        if (hook_) ::UnhookWinEvent(hook_);
        current_ = nullptr;
    }
    int count = 0;

private:
    static void CALLBACK Heard(HWINEVENTHOOK, DWORD, HWND hwnd, LONG, LONG, DWORD, DWORD) {
        if (current_ && hwnd == current_->window_) ++current_->count;
    }
    static inline NameChanges* current_ = nullptr;
    HWND window_;
    HWINEVENTHOOK hook_ = nullptr;
};

// Every control says what it is for, keeping what the system's object gives (its children, its window), the
// preview and the pick icons say what they are, and during a pick the loupe's name is its readout, told as it
// changes.
TEST_F(ScreenReader, EveryControlTellsWhatItIsFor) {
    TMainForm& f = *form;
    struct Named {
        HWND control;
        const char* name;
        long role;  // 0: the system's
    };
    const Named names[] = {
        {f.PanelBackG.Handle(), "プレビュー", ROLE_SYSTEM_GRAPHIC},
        {f.EditFont.Handle(), "文字 16進", 0},         {f.EditBackG.Handle(), "背景 16進", 0},
        {f.EditFR.Handle(), "文字 R", 0},              {f.EditFG.Handle(), "文字 G", 0},
        {f.EditFB.Handle(), "文字 B", 0},              {f.EditBB.Handle(), "背景 B", 0},
        {f.BarFR.Handle(), "文字 R", 0},               {f.BarBG.Handle(), "背景 G", 0},
        {f.BarBB.Handle(), "背景 B", 0},
        {f.PanelScopeFont.Handle(), "文字色をスポイトで取る", ROLE_SYSTEM_PUSHBUTTON},
        {f.PanelScopeBackG.Handle(), "背景色をスポイトで取る", ROLE_SYSTEM_PUSHBUTTON},
        {f.BtnCopyFont.Handle(), "文字 コピー", 0},    {f.BtnSaveFont.Handle(), "文字 保存", 0},
        {f.BtnLoadFont.Handle(), "文字 読込", 0},      {f.BtnCopyBackG.Handle(), "背景 コピー", 0},
        {f.BtnSaveBackG.Handle(), "背景 保存", 0},     {f.BtnLoadBackG.Handle(), "背景 読込", 0},
        {f.GroupBackImage.Handle(), "背景画像", 0},
        {f.CheckBackImage.Handle(), "背景に画像を指定する", 0}, {f.EditBackImage.Handle(), "背景画像のファイル", 0},
        {f.BtnRef.Handle(), "背景画像を参照", 0},      {f.BtnSPI.Handle(), "Plug-inのパス", 0},
        {f.RadioHexDim.ItemHandle(0), "10進数", 0},
    };
    for (const Named& n : names) {
        const ReaderView view = Read(n.control);
        EXPECT_EQ(view.name, n.name);
        if (n.role) {
            EXPECT_EQ(view.role, n.role) << n.name;
        }
        EXPECT_TRUE(view.children) << n.name << ": no IEnumVARIANT";
        EXPECT_EQ(view.window, n.control) << n.name << ": WindowFromAccessibleObject";
    }
    EXPECT_EQ(Read(f.PanelBackG.Handle()).value, "21.00:1 AAA, Lc 106.0");

    // A palette slot is a button with its number and colour.
    testsupport::WriteFile(testsupport::SettingsPath(), "[Pallet]\r\nPalllet3=12AB0C\r\n");
    TColorPallet pallet(f, ui::IniFile(testsupport::SettingsPath()));
    pallet.SetCurColor("00", "00", "00");
    const ReaderView slot = Read(pallet.Panels[2].Handle());
    EXPECT_EQ(slot.name, "パレット 3");
    EXPECT_EQ(slot.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(slot.value, "12AB0C");

    // A pick of the text colour from the white preview, below its text: the loupe reads white against white.
    ::SetForegroundWindow(f.Handle());
    RECT preview{};
    ::GetWindowRect(f.PanelBackG.Handle(), &preview);
    ::SetCursorPos(preview.left + 40, preview.bottom - 10);
    f.StartKeyboardPick(true);
    TLoupeForm* loupe = f.Pick().Loupe();
    ASSERT_NE(loupe, nullptr);
    const std::string white = velmira::PickReadoutText({255, 255, 255}, {255, 255, 255});
    EXPECT_TRUE(testsupport::PumpUntil([&] { return loupe->Text() == white; })) << loupe->Text();
    EXPECT_EQ(Read(loupe->Handle()).name, white);
    const NameChanges changes(loupe->Handle());
    testsupport::SetBackColour(f, "80", "80", "80");
    const std::string grey = velmira::PickReadoutText({0x80, 0x80, 0x80}, {255, 255, 255});
    EXPECT_TRUE(testsupport::PumpUntil([&] { return loupe->Text() == grey && changes.count > 0; }))
        << loupe->Text() << ", " << changes.count << " name changes";
    EXPECT_EQ(Read(loupe->Handle()).name, grey);
    testsupport::SendKey(VK_ESCAPE);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !f.Pick().Scope(); }));
}

}  // namespace
