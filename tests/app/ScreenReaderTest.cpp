// What screen readers hear of the main window: every control's name, and the loupe's readout as it changes.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <string>

#include "app/MainForm.h"
#include "color/Contrast.h"
#include "support/MainWindowTest.h"
#include "support/WindowTestSupport.h"

namespace {

class ScreenReader : public testsupport::MainWindowTest {};

// What a screen reader reads of a window's client object, through oleacc as it does: its name, or its value.
std::string Accessible(HWND window, bool value) {
    IAccessible* object = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&object))) ||
        !object)
        return "(no object)";
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    const HRESULT result = value ? object->get_accValue(self, &text) : object->get_accName(self, &text);
    object->Release();
    if (result != S_OK || !text) return "(none)";
    const int length = ::WideCharToMultiByte(932, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(std::max(length, 1)), '\0');
    ::WideCharToMultiByte(932, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    ::SysFreeString(text);
    narrow.resize(narrow.size() - 1);
    return narrow;
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

// Every control says what it is for, and during a pick the loupe's name is its readout, told as it changes.
TEST_F(ScreenReader, EveryControlTellsWhatItIsFor) {
    TMainForm& f = *form;
    struct Named {
        HWND control;
        const char* name;
    };
    const Named names[] = {
        {f.PanelBackG.Handle(), "プレビュー"},
        {f.EditFont.Handle(), "文字 16進"},         {f.EditBackG.Handle(), "背景 16進"},
        {f.EditFR.Handle(), "文字 R"},              {f.EditFG.Handle(), "文字 G"},
        {f.EditFB.Handle(), "文字 B"},              {f.EditBB.Handle(), "背景 B"},
        {f.BarFR.Handle(), "文字 R"},               {f.BarBG.Handle(), "背景 G"},
        {f.BarBB.Handle(), "背景 B"},
        {f.PanelScopeFont.Handle(), "文字色をスポイトで取る"}, {f.PanelScopeBackG.Handle(), "背景色をスポイトで取る"},
        {f.BtnCopyFont.Handle(), "文字 コピー"},    {f.BtnSaveFont.Handle(), "文字 保存"},
        {f.BtnLoadFont.Handle(), "文字 読込"},      {f.BtnCopyBackG.Handle(), "背景 コピー"},
        {f.BtnSaveBackG.Handle(), "背景 保存"},     {f.BtnLoadBackG.Handle(), "背景 読込"},
        {f.CheckBackImage.Handle(), "背景に画像を指定する"}, {f.EditBackImage.Handle(), "背景画像のファイル"},
        {f.BtnRef.Handle(), "背景画像を参照"},      {f.BtnSPI.Handle(), "Plug-inのパス"},
        {f.RadioHexDim.ItemHandle(0), "10進数"},
    };
    for (const Named& n : names) EXPECT_EQ(Accessible(n.control, false), n.name);
    EXPECT_EQ(Accessible(f.PanelBackG.Handle(), true), "21.00:1 AAA, Lc 106.0");

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
    EXPECT_EQ(Accessible(loupe->Handle(), false), white);
    const NameChanges changes(loupe->Handle());
    testsupport::SetBackColour(f, "80", "80", "80");
    const std::string grey = velmira::PickReadoutText({0x80, 0x80, 0x80}, {255, 255, 255});
    EXPECT_TRUE(testsupport::PumpUntil([&] { return loupe->Text() == grey && changes.count > 0; }))
        << loupe->Text() << ", " << changes.count << " name changes";
    EXPECT_EQ(Accessible(loupe->Handle(), false), grey);
    testsupport::SendKey(VK_ESCAPE);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !f.Pick().Scope(); }));
}

}  // namespace
