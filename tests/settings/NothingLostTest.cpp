// The settings and the palette survive whatever the settings file is: locked by another program, impossible to
// create, full of other sections and comments, in a folder with a Japanese name, or holding paths longer than
// the platform's buffers. A refused write shows the program's message and loses nothing that was there.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/MainForm.h"
#include "palettewindows/ColorPallet.h"
#include "support/WindowTestSupport.h"
#include "ui/Form.h"
#include "ui/UniqueHandle.h"
#include "support/ProgramFolder.h"

namespace {

using testsupport::MessageBoxRecorder;
using testsupport::ReadFile;
using testsupport::SettingsPath;
using testsupport::WriteFile;

// The file another program holds open without sharing: nobody else may open it, root included.
ui::UniqueFile LockFile(const std::string& path) {
    return ui::UniqueFile(
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

const std::string kWriteError = "velmira.ini に書き込めません";

bool ShowsWriteError(const MessageBoxRecorder& boxes) {
    for (const auto& m : boxes.messages)
        if (m.text.find(kWriteError) != std::string::npos) return true;
    return false;
}

// A hand-kept file: comments, sections of other programs, unknown keys in ours, odd spacing.
const std::string kHandKept =
    "; kept by hand\r\n"
    "[Other]\r\n"
    "Key=value with = sign\r\n"
    "; between sections\r\n"
    "[Color]\r\n"
    "FR=12\r\n"
    "Unknown=stays\r\n"
    "[Pallet]\r\n"
    "Palllet3=ABCDEF\r\n"
    "[History]\r\n"
    "Pair1=12ab0c,FFFFFF\r\n"
    "Pair2=not a pair\r\n"
    "Pair3=000000,FFFFFF\r\n"
    "[Zeta]\r\n"
    "z=1\r\n";

class NothingLost : public ::testing::Test {
protected:
    void SetUp() override { testsupport::RemoveSettings(); }
    void TearDown() override {
        form_.reset();
        RemoveDirectoryA(SettingsPath().c_str());
        testsupport::RemoveSettings();
    }
    void Start() {
        form_ = testsupport::NewMainForm([this](ui::Form& shown) { palletShown_(shown); });
        form_->Show();
        testsupport::PumpPending();
    }
    bool Open() const { return form_->Visible(); }
    // Opens the palette in save mode, stores the text colour into `slot` (1-based) and presses OK.
    void StoreIntoSlot(int slot) {
        palletShown_ = [slot](ui::Form& shown) {
            auto& pallet = static_cast<TColorPallet&>(shown);
            pallet.PalletClick(pallet.Panels[static_cast<std::size_t>(slot - 1)]);
            pallet.BtnOk.Click();
        };
        form_->BtnSaveFontClick();
    }
    ui::ModalShown palletShown_;
    std::unique_ptr<TMainForm> form_;
};

TEST_F(NothingLost, ALockedFileKeepsTheWindowOpenAndLosesNothingUntilItCanBeWritten) {
    WriteFile(SettingsPath(), kHandKept);
    Start();
    testsupport::SetTextColour(*form_, "AB", HexFG(*form_), HexFB(*form_));
    MessageBoxRecorder boxes;
    {
        const ui::UniqueFile lock = LockFile(SettingsPath());
        ASSERT_TRUE(lock);
        form_->Close();
        EXPECT_TRUE(ShowsWriteError(boxes));
        EXPECT_TRUE(Open()) << "the close is abandoned";
        StoreIntoSlot(5);
        EXPECT_EQ(boxes.messages.size(), 2u) << "the palette's OK shows the error too";
    }
    EXPECT_EQ(ReadFile(SettingsPath()), kHandKept) << "a refused write leaves the file as it was";
    form_->Close();
    EXPECT_FALSE(Open());
    EXPECT_EQ(boxes.messages.size(), 2u);
    const std::string saved = ReadFile(SettingsPath());
    EXPECT_NE(saved.find("FR=AB"), std::string::npos) << saved;
}

TEST_F(NothingLost, AFileThatCannotBeCreatedGivesTheMessageEveryTime) {
    // A folder where the file should be: as unwritable as a read-only folder, even for root.
    ASSERT_TRUE(CreateDirectoryA(SettingsPath().c_str(), nullptr));
    Start();
    MessageBoxRecorder boxes;
    StoreIntoSlot(1);
    form_->Close();
    EXPECT_TRUE(Open());
    form_->Close();
    EXPECT_TRUE(Open());
    ASSERT_EQ(boxes.messages.size(), 3u);
    for (const auto& m : boxes.messages) EXPECT_NE(m.text.find(kWriteError), std::string::npos) << m.text;
    ASSERT_TRUE(RemoveDirectoryA(SettingsPath().c_str()));
    form_->Close();
    EXPECT_FALSE(Open());
}

TEST_F(NothingLost, OtherSectionsCommentsAndUnknownKeysAreKeptAsTheyWere) {
    WriteFile(SettingsPath(), kHandKept);
    Start();
    EXPECT_EQ(HexFR(*form_), "12");
    EXPECT_EQ(form_->History().Pairs().size(), 2u) << "the pair that is none is left out";
    StoreIntoSlot(7);
    form_->Close();
    ASSERT_FALSE(Open());
    const std::string saved = ReadFile(SettingsPath());
    for (const char* kept : {"; kept by hand", "[Other]", "Key=value with = sign", "; between sections",
                             "Unknown=stays", "Palllet3=ABCDEF", "[Zeta]", "z=1"})
        EXPECT_NE(saved.find(kept), std::string::npos) << kept << "\n" << saved;
    EXPECT_NE(saved.find("Palllet7=120000"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Pair1=12AB0C,FFFFFF\r\nPair2=000000,FFFFFF\r\n[Zeta]"), std::string::npos)
        << "the history is written in its place, newest first, with no pair left over\n" << saved;
    EXPECT_LT(saved.find("[Other]"), saved.find("[Color]")) << "sections stay in their order";
}

// Paths of 260 bytes and more wherever a path enters: typed, dropped, stored for the picture, stored for the
// plug-in folder and the dialog's folder. Each gives the missing-file message with the whole path, or nothing.
std::string LongPath(std::size_t length) {
    std::string path = "C:\\";
    // Whole characters only: a lead byte left before the extension would be no character of code page 932.
    if ((length - 4 - path.size()) % 2 != 0) path += 'a';
    while (path.size() < length - 4) path += "\x95\\";  // 表 again and again: lead byte, trail byte 0x5C
    return path + ".bmp";
}

TEST_F(NothingLost, LongPathsGiveTheMissingFileMessageWithoutOverrun) {
    const std::string stored = LongPath(300);
    const std::string longFolder = LongPath(400);
    WriteFile(SettingsPath(), "[BackGround]\r\nUseImage=1\r\nPath=" + stored + "\r\n[Option]\r\nSpi=" + longFolder +
                                  "\r\nIniDir=" + longFolder + "\r\n");
    MessageBoxRecorder boxes;
    Start();
    ASSERT_GE(boxes.messages.size(), 1u) << "the stored path is tried at start-up";
    EXPECT_EQ(boxes.messages.back().text, stored + "がありません。");
    EXPECT_EQ(form_->Background().SpiLoader().GetCount(), 0);

    for (const std::size_t length : {259u, 260u, 261u, 1000u, 5000u}) {
        const std::string typed = LongPath(length);
        form_->EditBackImage.SetText(typed);
        char key = '\r';
        form_->EditBackImageKeyPress(key);
        EXPECT_EQ(key, 0);
        EXPECT_EQ(boxes.messages.back().text, typed + "がありません。") << length;
    }

    // Dropped: a shell drop block carrying two long paths, built as the shell builds it.
    const std::string dropped[] = {LongPath(270), LongPath(600)};
    std::string names;
    for (const std::string& d : dropped) names += d + '\0';
    names += '\0';
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
    ASSERT_NE(block, nullptr);
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(block);
    const std::size_t before = boxes.messages.size();
    form_->WMDropFiles(static_cast<HDROP>(block));  // DragFinish frees the block
    ASSERT_EQ(boxes.messages.size(), before + 2);
    EXPECT_EQ(boxes.messages[before].text, dropped[0] + "がありません。");
    EXPECT_EQ(boxes.messages[before + 1].text, dropped[1] + "がありません。");

    // Stored back as they were read.
    form_->Close();
    ASSERT_FALSE(Open());
    const std::string saved = ReadFile(SettingsPath());
    EXPECT_NE(saved.find("Spi=" + longFolder), std::string::npos);
    EXPECT_NE(saved.find("Path=" + stored), std::string::npos);
}

// The program beside its settings in a folder named 表示 (its first character's trail byte is 0x5C): the test
// executable copies itself there and runs the child test below in it.
const char kChildVariable[] = "VELMIRA_JAPANESE_FOLDER_CHILD";
const std::string kJapaneseFolder = "\x95\\\x8e\xa6";  // 表示 in code page 932

TEST_F(NothingLost, SettingsLiveBesideTheProgramInAJapaneseNamedFolder) {
    if (GetEnvironmentVariableA(kChildVariable, nullptr, 0) != 0) GTEST_SKIP() << "the child runs the other half";
    const std::string folder = testsupport::ProgramFolder() + kJapaneseFolder + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "velmira_child.exe";
    ASSERT_TRUE(CopyFileA(testsupport::ModulePath().c_str(), copy.c_str(), FALSE));
    WriteFile(folder + "velmira.ini", "[Color]\r\nFR=AB\r\n[Pallet]\r\nPalllet2=123456\r\n");

    SetEnvironmentVariableA(kChildVariable, "1");
    std::string command = "\"" + copy + "\" --gtest_filter=NothingLostInAJapaneseFolder.Child";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        folder.c_str(), &startup, &process);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    ASSERT_TRUE(started);
    const ui::UniqueKernelHandle processHandle(process.hProcess);
    const ui::UniqueKernelHandle thread(process.hThread);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u) << "the child test failed";
    const std::string saved = ReadFile(folder + "velmira.ini");
    EXPECT_NE(saved.find("FR=CD"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Palllet2=123456"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Spi=" + folder), std::string::npos) << saved;
    DeleteFileA((folder + "velmira.ini").c_str());
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
}

// Runs only inside the copy in the Japanese-named folder (a suite of its own: the fixture above would remove the
// settings file that the parent prepared).
TEST(NothingLostInAJapaneseFolder, Child) {
    if (GetEnvironmentVariableA(kChildVariable, nullptr, 0) == 0) GTEST_SKIP() << "run by the test above";
    TMainForm form;
    ASSERT_EQ(form.AppDir(), testsupport::ProgramFolder());
    ASSERT_NE(form.AppDir().find(kJapaneseFolder + "\\"), std::string::npos) << form.AppDir();
    EXPECT_EQ(HexFR(form), "AB");
    testsupport::SetTextColour(form, "CD", HexFG(form), HexFB(form));
    MessageBoxRecorder boxes;
    form.Close();
    EXPECT_TRUE(boxes.messages.empty());
}

}  // namespace
