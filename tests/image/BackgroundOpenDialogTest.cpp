// The reference button runs the real common open-file dialog; a script in the dialog's own message loop reads
// what it offers, fills in a file name and confirms or cancels, as a user would.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <functional>

#include "image/BackgroundFixture.h"
#include "support/FileDialogScript.h"
#include "support/PictureWriter.h"

namespace backgroundtest {
namespace {

// What the dialog showed when the script found it.
struct DialogView {
    std::vector<std::string> filterEntries;
    int selectedEntry = -1;  // zero-based
    std::string folder;
};

DialogView Look(HWND dialog) {
    DialogView view;
    HWND filter = ::GetDlgItem(dialog, cmb1);
    const int count = static_cast<int>(::SendMessageA(filter, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        ::SendMessageA(filter, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        view.filterEntries.push_back(text);
    }
    view.selectedEntry = static_cast<int>(::SendMessageA(filter, CB_GETCURSEL, 0, 0));
    char folder[MAX_PATH * 2] = {};
    ::SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
    view.folder = folder;
    return view;
}

void ChooseEntry(HWND dialog, int index) {
    HWND filter = ::GetDlgItem(dialog, cmb1);
    ::SendMessageA(filter, CB_SETCURSEL, index, 0);
    // A user's choice ends with both notifications; dialogs differ in which one they act on.
    for (const WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(filter));
}

bool SameText(const std::string& a, const std::string& b) {
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

class BackgroundOpenDialog : public BackgroundWindow {
protected:
    void SetUp() override {
        BackgroundWindow::SetUp();
        ::CreateDirectoryA(PathOf("empty").c_str(), nullptr);
        form->Background().SetSpiPath(PathOf("empty"));
        form->Background().SetSPI();
        testsupport::WaitForPluginDescriptions(*form);
        dialogFolder = folder.substr(0, folder.size() - 1);
        form->Background().OpenDialog().InitialDir = dialogFolder;
        form->Background().OpenDialog().FilterIndex = 3;
        Click(form->CheckBackImage);
    }
    // Clicks the reference button; the script drives the dialog meanwhile.
    DialogView Run(const std::function<void(HWND)>& act) {
        DialogView view;
        testsupport::FileDialogScript script([&](HWND dialog) {
            view = Look(dialog);
            act(dialog);
        });
        ::SendMessageA(form->BtnRef.Handle(), BM_CLICK, 0, 0);
        testsupport::PumpPending();
        EXPECT_TRUE(script.Acted()) << "the dialog never appeared";
        EXPECT_FALSE(script.GaveUp()) << "the dialog did not close";
        return view;
    }

    std::string dialogFolder;
};

TEST_F(BackgroundOpenDialog, ConfirmedFileIsLoadedAndItsFilterEntryKept) {
    const velmira::test::TestPicture picture = velmira::test::GradientPicture(40, 30);
    const std::string path = Write("chosen.bmp", velmira::test::EncodeBmp(velmira::test::BmpFormat{}, picture));
    testsupport::MessageBoxRecorder boxes;

    const DialogView first = Run([](HWND dialog) {
        testsupport::TypeFileName(dialog, "chosen.bmp");
        testsupport::PressDialogButton(dialog, IDOK);
    });
    // The four fixed entries, the one asked for selected, in the initial folder.
    EXPECT_EQ(first.filterEntries, (std::vector<std::string>{"ｲﾒｰｼﾞﾌｧｲﾙ", "jpegﾌｧｲﾙ(*.jpg;*.jpeg)",
                                                             "BMPﾌｧｲﾙ(*.bmp)", "すべてのﾌｧｲﾙ(*.*)"}));
    EXPECT_EQ(first.selectedEntry, 2);
    EXPECT_TRUE(SameText(first.folder, dialogFolder)) << first.folder;

    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_TRUE(SameText(form->Background().ImagePath(), path)) << form->Background().ImagePath();
    EXPECT_EQ(form->EditBackImage.Text(), form->Background().ImagePath());
    EXPECT_EQ(Preview(0, 0), ToColorRef(picture.At(0, 0)));
    EXPECT_EQ(Preview(45, 35), ToColorRef(picture.At(5, 5)));
    EXPECT_EQ(form->Background().OpenDialog().FilterIndex, 3);

    // Another entry chosen and confirmed is selected next time; a cancelled use changes nothing.
    const std::string second = Write("second.bmp", velmira::test::EncodeBmp(velmira::test::BmpFormat{},
                                                                            velmira::test::GradientPicture(3, 3)));
    Run([](HWND dialog) {
        ChooseEntry(dialog, 3);
        testsupport::TypeFileName(dialog, "second.bmp");
        testsupport::PressDialogButton(dialog, IDOK);
    });
    EXPECT_EQ(form->Background().OpenDialog().FilterIndex, 4);
    EXPECT_TRUE(SameText(form->Background().ImagePath(), second)) << form->Background().ImagePath();

    const COLORREF shown = Preview(1, 1);
    const DialogView third = Run([](HWND dialog) {
        ChooseEntry(dialog, 1);
        testsupport::PressDialogButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(third.selectedEntry, 3);
    EXPECT_EQ(form->Background().OpenDialog().FilterIndex, 4);
    EXPECT_TRUE(SameText(form->Background().ImagePath(), second));
    EXPECT_EQ(Preview(1, 1), shown);
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(BackgroundOpenDialog, NameOfNoFileReachesTheMissingMessage) {
    testsupport::MessageBoxRecorder boxes;
    Run([](HWND dialog) {
        testsupport::TypeFileName(dialog, "nothere.bmp");
        testsupport::PressDialogButton(dialog, IDOK);
    });
    ASSERT_EQ(boxes.messages.size(), 1u);
    const std::string& text = boxes.messages[0].text;
    const std::string expected = "nothere.bmpがありません。";
    ASSERT_GT(text.size(), expected.size());
    EXPECT_EQ(text.substr(text.size() - expected.size()), expected);
    EXPECT_TRUE(SameText(text.substr(0, text.size() - expected.size()), folder)) << text;
    EXPECT_TRUE(form->Background().ImagePath().empty());
    EXPECT_TRUE(PreviewIsUniform(kBackColour));
}

}  // namespace
}  // namespace backgroundtest
