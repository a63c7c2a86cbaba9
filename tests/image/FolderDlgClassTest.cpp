// The folder browser wrapper against the shell's real browser, answered from inside its modal loop.
#include "image/FolderDlgClass.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/FolderBrowserDriver.h"
#include "support/TestFolders.h"
#include "support/WindowTestSupport.h"
#include "ui/Form.h"

namespace {

using velmira::BrowseCallbackProc;
using velmira::FolderDlgClass;
using testsupport::FolderBrowserDriver;
using Answer = testsupport::FolderBrowserDriver::Answer;

constexpr char kPrompt[] = "Plug-in のあるパスを指定して下さい。";

class FolderDlgClassTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner.Create(ui::FormLayout{"Folder owner", 100, 100, 300, 200});
        owner.Show();
        testsupport::PumpPending();
    }
    void TearDown() override {
        for (auto it = folders.rbegin(); it != folders.rend(); ++it) ::RemoveDirectoryA(it->c_str());
    }

    // A new folder that the folder browser can find (or one under `parent`), without a trailing backslash.
    std::string NewFolder(const std::string& parent = {}) {
        std::string base = parent;
        if (base.empty()) base = testsupport::BrowsableFolderRoot();
        static int serial = 0;
        const std::string folder =
            base + "\\velmira-fold-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++serial);
        EXPECT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        folders.push_back(folder);
        return folder;
    }

    FolderDlgClass Dialog(const std::string& initial) {
        FolderDlgClass dialog;
        dialog.Owner = owner.Handle();
        dialog.Title = kPrompt;
        dialog.InitialDir = initial;
        return dialog;
    }

    ui::Form owner;
    std::vector<std::string> folders;
};

TEST_F(FolderDlgClassTest, OpensOwnedWithThePromptOnTheInitialFolderAndConfirmsIt) {
    const std::string folder = NewFolder();
    FolderDlgClass dialog;
    dialog.Owner = owner.Handle();
    dialog.Title = kPrompt;
    dialog.InitialDir = folder;
    FolderBrowserDriver driver(owner.Handle(), Answer::Ok);

    EXPECT_TRUE(dialog.Execute());

    ASSERT_TRUE(driver.Answered());
    EXPECT_EQ(driver.BrowserOwner(), owner.Handle());
    EXPECT_NE(std::find(driver.Texts().begin(), driver.Texts().end(), kPrompt), driver.Texts().end());
    EXPECT_EQ(driver.Preselected(), std::vector<std::string>{folder});
    EXPECT_EQ(dialog.SelectedDir, folder) << "the initial folder was selected";
    EXPECT_FALSE(::IsWindow(driver.Browser()));
}

TEST_F(FolderDlgClassTest, HandsBackTheConfirmedFolderAsTheShellSpellsIt) {
    const std::string first = NewFolder();
    const std::string second = NewFolder(first);
    char windows[MAX_PATH];
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string root = std::string(windows, 3);  // "C:\"
    struct Case {
        std::string initial;
        std::string select;
        std::string expected;
    };
    const Case cases[] = {
        {first + "\\", "", first},   // a trailing backslash is not handed back
        {first, second, second},     // a folder chosen in the tree
        {second, root, root},        // a drive's root keeps its backslash
        {"", first, first},          // no preselection
    };
    for (const Case& c : cases) {
        FolderDlgClass dialog = Dialog(c.initial);
        FolderBrowserDriver driver(owner.Handle(), Answer::Ok, c.select);
        EXPECT_TRUE(dialog.Execute()) << c.initial << " -> " << c.select;
        EXPECT_TRUE(driver.Answered());
        EXPECT_EQ(driver.Preselected().size(), c.initial.empty() ? 0u : 1u) << "nothing asked for an empty one";
        EXPECT_EQ(dialog.SelectedDir, c.expected) << c.initial << " -> " << c.select;
    }
}

TEST_F(FolderDlgClassTest, CancellingAnswersFalseAndLeavesSelectedDirAlone) {
    const std::string folder = NewFolder();
    FolderDlgClass dialog = Dialog(folder);
    dialog.SelectedDir = "untouched";
    FolderBrowserDriver driver(owner.Handle(), Answer::Cancel, NewFolder());
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(driver.Answered());
    EXPECT_EQ(dialog.SelectedDir, "untouched");
}

TEST_F(FolderDlgClassTest, AMissingInitialFolderOpensTheBrowserWithoutIt) {
    const std::string folder = NewFolder();
    const std::string missing = folder + "\\missing";
    FolderDlgClass dialog = Dialog(missing);
    FolderBrowserDriver driver(owner.Handle(), Answer::Ok);
    dialog.Execute();
    ASSERT_TRUE(driver.Answered());
    EXPECT_EQ(driver.Preselected(), std::vector<std::string>{missing});
    // Wine's browser then selects nothing at all.
    if (!driver.Selection().empty()) {
        EXPECT_NE(driver.Selection()[0], "missing");
    }
    EXPECT_NE(dialog.SelectedDir, missing);
}

TEST_F(FolderDlgClassTest, TheBrowserBringsItsOwnComApartmentAndLeavesNoneBehind) {
    FolderDlgClass dialog = Dialog(NewFolder());
    {
        FolderBrowserDriver driver(owner.Handle(), Answer::Ok);
        EXPECT_TRUE(dialog.Execute());
    }
    // S_OK: the thread had no apartment left; a leaked initialisation would answer S_FALSE.
    const HRESULT after = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_EQ(after, S_OK);
    if (SUCCEEDED(after)) ::CoUninitialize();

    // A thread that already has its apartment keeps it.
    ASSERT_EQ(::OleInitialize(nullptr), S_OK);
    {
        FolderBrowserDriver driver(owner.Handle(), Answer::Ok);
        EXPECT_TRUE(dialog.Execute());
    }
    EXPECT_EQ(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    ::CoUninitialize();
    ::OleUninitialize();
}

int selections = 0;
LRESULT CALLBACK CountSelections(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == BFFM_SETSELECTIONA) ++selections;
    return ::DefWindowProcA(hwnd, msg, w, l);
}

// Outside Execute the callback has no object to read and sends nothing.
TEST_F(FolderDlgClassTest, TheCallbackOutsideABrowserDoesNothing) {
    selections = 0;
    WNDCLASSA cls{};
    cls.lpfnWndProc = &CountSelections;
    cls.hInstance = ::GetModuleHandleA(nullptr);
    cls.lpszClassName = "VelmiraCallbackProbe";
    ::RegisterClassA(&cls);
    HWND probe = ::CreateWindowA("VelmiraCallbackProbe", "", 0, 0, 0, 0, 0, nullptr, nullptr, cls.hInstance, nullptr);
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(BrowseCallbackProc(probe, BFFM_INITIALIZED, 0, 0), 0);
    EXPECT_EQ(selections, 0);
    ::DestroyWindow(probe);
}

}  // namespace
