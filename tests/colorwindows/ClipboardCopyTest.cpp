// The copy buttons put a colour's six hexadecimal digits on the clipboard as CF_TEXT; colours come in as CSS
// text pasted into the colour edits, go out in the copy menu's formats, come back from the history of pairs, and
// move to and from palette files.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/MainForm.h"
#include "colorwindows/Clipboard.h"
#include "color/CopyFormats.h"
#include "color/PairHistory.h"
#include "palette/PaletteFile.h"
#include "text/SystemText.h"
#include "support/FileDialogScript.h"
#include "support/MainWindowTest.h"
#include "support/MenuChooser.h"
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

    // Ctrl+V in the edit, all of its text selected: the key's character, then its release.
    void PasteWithCtrlV(ui::Edit& edit) {
        ::SetFocus(edit.Handle());
        testsupport::SelectAll(edit);
        ::SendMessageA(edit.Handle(), WM_CHAR, 0x16, 0x002F0001);
        testsupport::ReleaseKey(edit, 'V');
    }
    // Alt+Space and then the access keys.
    void ChooseFromWindowMenu(testsupport::MenuChooser& chooser) {
        ::SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
        EXPECT_TRUE(chooser.pressed) << "the window menu never waited for a key";
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

TEST_F(ClipboardCopy, ColoursPasteInCopyOutComeBackFromTheHistoryAndArriveInPaletteFiles) {
    // A CSS colour pasted into a colour's edit sets the whole colour; with alpha, drawn over the background.
    testsupport::SetBackColour(*form, "FF", "FF", "FF");
    PutOnClipboard("  #FF8000\r\n");
    PasteWithCtrlV(form->EditFont);
    EXPECT_EQ(form->EditFont.Text(), "FF8000");
    EXPECT_EQ(form->LabelText.FontColor(), RGB(255, 128, 0));
    // A colour copied with its context around it is that colour.
    PutOnClipboard("  --brand: '#12ab0c' !important;\r\n");
    PasteWithCtrlV(form->EditFB);
    EXPECT_EQ(form->EditFont.Text(), "12AB0C");
    PutOnClipboard("rgb(0 0 255 / 50%)");
    PasteWithCtrlV(form->EditFG);
    EXPECT_EQ(form->EditFont.Text(), "7F7FFF");
    EXPECT_EQ(form->BarFB.Position(), 255);
    // Bare digits are the edit's own paste, and the key's release takes them as typed ones.
    PutOnClipboard("12AB0C");
    PasteWithCtrlV(form->EditBackG);
    EXPECT_EQ(form->EditBackG.Text(), "12AB0C");
    EXPECT_EQ(HexBG(*form), "AB");

    // The copy menu's fourth item: the colour as oklch(), which pastes back as the same colour.
    {
        testsupport::MenuChooser copyMenu("4");
        ::SendMessageA(form->BtnCopyFont.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        ::SendMessageA(form->BtnCopyFont.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
        ASSERT_TRUE(copyMenu.pressed) << "no menu on the right-click";
        const std::vector<velmira::CopyFormat> formats = velmira::CopyFormatsOf(velmira::Rgb{0x7F, 0x7F, 0xFF});
        ASSERT_EQ(copyMenu.items.size(), formats.size());
        EXPECT_EQ(copyMenu.items[0].text, "&1  #7F7FFF\tHTML / CSS");
        EXPECT_EQ(copyMenu.items[5].text, "&6  $00FF7F7F\tDelphi TColor");
        EXPECT_EQ(ClipboardText(), formats[3].text);
    }

    // The copy put the pair at the top of the history; its first item brings both colours back.
    ASSERT_FALSE(form->History().Pairs().empty());
    EXPECT_EQ(velmira::PairText(form->History().Pairs()[0]), "7F7FFF,12AB0C");
    testsupport::SetTextColour(*form, "00", "00", "00");
    testsupport::SetBackColour(*form, "FF", "FF", "FF");
    {
        testsupport::MenuChooser historyItem("h1");
        ChooseFromWindowMenu(historyItem);
        EXPECT_TRUE(testsupport::PumpUntil([&] { return form->EditFont.Text() == "7F7FFF"; }));
        EXPECT_EQ(form->EditBackG.Text(), "12AB0C");
        ASSERT_FALSE(historyItem.items.empty());
        EXPECT_EQ(historyItem.items[0].text, "&1  文字 7F7FFF / 背景 12AB0C");
    }

    // A stylesheet of 22 colours: the first twenty fill the palette, and the message counts the rest.
    const std::string path = testsupport::ProgramFolder() + "imported.css";
    std::string css = ":root {\r\n";
    for (int i = 1; i <= 22; ++i) css += "  --c" + std::to_string(i) + ": rgb(" + std::to_string(i) + " 0 0);\r\n";
    testsupport::WriteFile(path, css + "}\r\n");
    {
        testsupport::FileDialogScript dialog([&](HWND opened) {
            testsupport::TypeFileName(opened, path);
            testsupport::PressDialogButton(opened, IDOK);
        });
        testsupport::MenuChooser importItem("i");
        ChooseFromWindowMenu(importItem);
        EXPECT_TRUE(testsupport::PumpUntil([&] { return !boxes.messages.empty(); }));
        EXPECT_TRUE(dialog.Acted());
    }
    ::DeleteFileA(path.c_str());
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_NE(boxes.messages[0].text.find("20 色を読み込みました"), std::string::npos) << boxes.messages[0].text;
    EXPECT_NE(boxes.messages[0].text.find("残りの 2 色"), std::string::npos) << boxes.messages[0].text;
    const std::string settings = testsupport::ReadFile(testsupport::SettingsPath());
    EXPECT_NE(settings.find("Palllet1=010000"), std::string::npos) << settings;
    EXPECT_NE(settings.find("Palllet20=140000"), std::string::npos) << settings;

    // Palette files under names in any script: an export to "exporté" writes exporté.gpl, and an .ase of that
    // kind cut short reads its whole colours and says that the rest was lost.
    const std::wstring folder = velmira::WideText(testsupport::ProgramFolder());
    const std::wstring exported = folder + L"export\u00E9";
    {
        testsupport::FileDialogScript saveAs([&](HWND opened) {
            testsupport::TypeFileName(opened, exported);
            testsupport::PressDialogButton(opened, IDOK);
        });
        testsupport::MenuChooser exportItem("e");
        ChooseFromWindowMenu(exportItem);
        EXPECT_TRUE(testsupport::PumpUntil(
            [&] { return ::GetFileAttributesW((exported + L".gpl").c_str()) != INVALID_FILE_ATTRIBUTES; }));
        EXPECT_TRUE(saveAs.Acted());
    }
    ::DeleteFileW((exported + L".gpl").c_str());
    EXPECT_EQ(boxes.messages.size(), 1u) << "the export says nothing when it succeeds";

    const std::wstring cut = folder + L"caf\u00E9.ase";
    std::vector<std::uint32_t> twenty(20, 0x0000FFu), ten(10, 0x0000FFu);
    const std::string ase = velmira::WritePalette(velmira::PaletteFormat::Ase, twenty);
    const std::string cutAse = ase.substr(0, velmira::WritePalette(velmira::PaletteFormat::Ase, ten).size() + 5);
    {
        ui::UniqueFile file(::CreateFileW(cut.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), cutAse.data(), static_cast<DWORD>(cutAse.size()), &written, nullptr));
    }
    {
        testsupport::FileDialogScript open([&](HWND opened) {
            testsupport::TypeFileName(opened, cut);
            testsupport::PressDialogButton(opened, IDOK);
        });
        testsupport::MenuChooser importCut("i");
        ChooseFromWindowMenu(importCut);
        EXPECT_TRUE(testsupport::PumpUntil([&] { return boxes.messages.size() == 2; }));
        EXPECT_TRUE(open.Acted());
    }
    ::DeleteFileW(cut.c_str());
    ASSERT_EQ(boxes.messages.size(), 2u);
    EXPECT_EQ(boxes.messages[1].text, "パレットの 1 番から 10 番に 10 色を読み込みました。\n\nファイルが途中で終わっています。"
                                      "読み込めなかった項目は 10 個です。");
}

}  // namespace
