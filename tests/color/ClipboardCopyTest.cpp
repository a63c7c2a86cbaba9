// The copy buttons put a colour's six hexadecimal digits on the clipboard as CF_TEXT.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/MainForm.h"
#include "color/Clipboard.h"
#include "support/MainWindowTest.h"
#include "support/WindowTestSupport.h"
#include "ui/UniqueHandle.h"

namespace {

using testsupport::ClipboardText;
using testsupport::Retype;

// Puts a text on the clipboard without the program, to see whether a failed copy leaves it alone.
void PutOnClipboard(const std::string& text) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    ui::UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    {
        ui::ScopedGlobalLock lock(block.get());
        memcpy(lock.get(), text.c_str(), text.size() + 1);
    }
    if (::SetClipboardData(CF_TEXT, block.get())) block.release();
    ::CloseClipboard();
}

// Counts the clipboard's changes as a program that watches it is told of them.
class ClipboardWatcher {
public:
    ClipboardWatcher() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &ClipboardWatcher::Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VelmiraTestClipboardWatcher";
        ::RegisterClassA(&wc);
        window_.reset(::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        wc.hInstance, nullptr));
        ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        listening_ = ::AddClipboardFormatListener(window_.get()) != FALSE;
    }
    ~ClipboardWatcher() {
        if (listening_) ::RemoveClipboardFormatListener(window_.get());
    }
    bool Listening() const { return listening_; }
    int changes = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_CLIPBOARDUPDATE) {
            if (auto* self = reinterpret_cast<ClipboardWatcher*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA)))
                ++self->changes;
            return 0;
        }
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    ui::UniqueWindow window_;
    bool listening_ = false;
};

// Another process that holds the clipboard open until it is released.
class ClipboardHolder {
public:
    ClipboardHolder()
        : ready_(::CreateEventA(nullptr, TRUE, FALSE, "VelmiraTestClipboardReady")),
          release_(::CreateEventA(nullptr, TRUE, FALSE, "VelmiraTestClipboardRelease")) {
        std::string command =
            "\"" + testsupport::ProgramFolder() + "clipboard_holder.exe\" VelmiraTestClipboardReady "
            "VelmiraTestClipboardRelease";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
        process_.reset(pi.hProcess);
        ::CloseHandle(pi.hThread);
        HANDLE waits[] = {ready_.get(), process_.get()};
        holding_ = ::WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
    }
    ~ClipboardHolder() { Release(); }
    bool Holding() const { return holding_; }
    // Lets the other process close the clipboard and end; true when it ended cleanly.
    bool Release() {
        if (!process_) return false;
        ::SetEvent(release_.get());
        ::WaitForSingleObject(process_.get(), 30000);
        DWORD code = 1;
        ::GetExitCodeProcess(process_.get(), &code);
        process_.reset();
        return code == 0;
    }

private:
    ui::UniqueKernelHandle ready_, release_, process_;
    bool holding_ = false;
};

class ClipboardCopy : public testsupport::MainWindowTest {
protected:
    // Presses the button as the user does: the button itself reports the click to its parent.
    void Press(ui::Button& button) {
        ::SendMessageA(button.Handle(), BM_CLICK, 0, 0);
        testsupport::PumpPending();
    }

    testsupport::MessageBoxRecorder boxes;
};

TEST_F(ClipboardCopy, EachButtonCopiesItsColoursSixDigits) {
    testsupport::SetTextColour(*form, "FF", "80", "00");
    testsupport::SetBackColour(*form, "12", "ab", "3C");
    Press(form->BtnCopyFont);
    EXPECT_EQ(ClipboardText(), "FF8000");
    Press(form->BtnCopyBackG);
    EXPECT_EQ(ClipboardText(), "12AB3C");
    EXPECT_TRUE(boxes.messages.empty());
}

// The clipboard only ever receives the colour the preview shows, from the channel values; the edits keep
// showing what was typed.
TEST_F(ClipboardCopy, CopiesTheColourThePreviewShowsWhateverTheEditsHold) {
    struct Case {
        const char* what;
        std::function<void(TMainForm&)> act;  // on the text colour FF8000, shown in hexadecimal
        const char* shown;                    // by the six-digit edit afterwards
        const char* copied;
    };
    const Case cases[] = {
        {"two characters, no colour yet", [](TMainForm& f) { Retype(f.EditFont, "7f"); }, "7f", "FF8000"},
        {"the edit emptied",
         [](TMainForm& f) {
             ::SetFocus(f.EditFont.Handle());
             testsupport::SelectAll(f.EditFont);
             ::SendMessageA(f.EditFont.Handle(), WM_CLEAR, 0, 0);
             testsupport::ReleaseKey(f.EditFont, VK_DELETE);
         },
         "", "FF8000"},
        {"six digits", [](TMainForm& f) { Retype(f.EditFont, "abcdef"); }, "ABCDEF", "ABCDEF"},
        {"stray text, pairs that read as zero", [](TMainForm& f) { Retype(f.EditFont, "Z:\\TMP"); }, "Z:\\TMP",
         "000000"},
        {"300 typed in decimal",
         [](TMainForm& f) {
             f.RadioHexDim.SetItemIndex(0);
             Retype(f.EditFR, "300");
         },
         "12C8000", "2C8000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form->RadioHexDim.SetItemIndex(1);
        testsupport::SetTextColour(*form, "FF", "80", "00");
        c.act(*form);
        ASSERT_EQ(form->EditFont.Text(), c.shown);
        Press(form->BtnCopyFont);
        EXPECT_EQ(ClipboardText(), std::string(c.copied));
        const COLORREF preview = form->LabelText.FontColor();
        char hex[7];
        std::snprintf(hex, sizeof hex, "%02X%02X%02X", GetRValue(preview), GetGValue(preview), GetBValue(preview));
        EXPECT_EQ(std::string(c.copied), hex) << "the preview shows another colour";
    }
}

TEST_F(ClipboardCopy, ChannelStringsOfOtherLengthsCopyTheColour) {
    testsupport::SetBackColour(*form, "1", "234", "56");
    ASSERT_EQ(form->EditBackG.Text(), "123456");
    Press(form->BtnCopyBackG);
    EXPECT_EQ(ClipboardText(), "013456");
}

TEST_F(ClipboardCopy, WatchersSeeTwoChangesTheSecondLeavingTheText) {
    ClipboardWatcher watcher;
    ASSERT_TRUE(watcher.Listening());
    const DWORD sequenceBefore = ::GetClipboardSequenceNumber();
    velmira::CopyToClpBrd("A1B2C3");
    EXPECT_TRUE(testsupport::PumpUntil([&] { return watcher.changes >= 2; }));
    testsupport::PumpPending();
    EXPECT_EQ(watcher.changes, 2);
    EXPECT_GT(::GetClipboardSequenceNumber() - sequenceBefore, 1u) << "the clipboard was emptied twice";
    EXPECT_EQ(ClipboardText(), "A1B2C3");
}

TEST_F(ClipboardCopy, ClipboardHeldByAnotherProgramShowsTheErrorAndKeepsTheContents) {
    PutOnClipboard("before");
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Holding());
    Press(form->BtnCopyFont);
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, "クリップボードを開くことができません.");
    EXPECT_EQ(boxes.messages[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(holder.Release());
    EXPECT_EQ(ClipboardText(), "before");

    // Once the other program has let go, the copy works again.
    Press(form->BtnCopyFont);
    EXPECT_EQ(ClipboardText(), form->EditFont.Text());
    EXPECT_EQ(boxes.messages.size(), 1u);
}

}  // namespace
