// The settings file beside the program: read while the main window is created, written when it closes.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/MainForm.h"
#include "support/WindowTestSupport.h"
#include "ui/UniqueHandle.h"

namespace {

using Keys = std::map<std::string, std::string>;

// The keys in the order the program writes them, with the section each belongs to.
const std::pair<const char*, const char*> kKeyOrder[] = {
    {"Option", "IniDir"},       {"Option", "Spi"},         {"Option", "Loupe"},       {"Option", "PickKey"},
    {"Option", "Sample"},
    {"Option", "DetailsLeft"},  {"Option", "DetailsTop"},  {"Option", "DetailsWidth"}, {"Option", "DetailsHeight"},
    {"Option", "TableLeft"},    {"Option", "TableTop"},    {"Option", "TableWidth"},  {"Option", "TableHeight"},
    {"Color", "FR"},            {"Color", "FG"},           {"Color", "FB"},           {"Color", "BR"},
    {"Color", "BG"},            {"Color", "BB"},           {"Color", "Input"},        {"BackGround", "UseImage"},
    {"BackGround", "Path"},
};

std::string WithoutTrailingBackslash(std::string dir) {
    dir.pop_back();
    return dir;
}

// What a first start writes: the program's folder for both folders, the loupe on, no pick key, the contrast
// details right of the main window and the contrast table below them, black on white, hexadecimal, no picture.
Keys DefaultKeys() {
    const std::string dir = testsupport::ProgramFolder();
    return Keys{{"IniDir", WithoutTrailingBackslash(dir)}, {"Spi", dir}, {"Loupe", "1"}, {"PickKey", ""},
                {"Sample", "1"},
                {"DetailsLeft", "680"}, {"DetailsTop", "100"}, {"DetailsWidth", "360"}, {"DetailsHeight", "240"},
                {"TableLeft", "680"}, {"TableTop", "380"}, {"TableWidth", "560"}, {"TableHeight", "300"},
                {"FR", "00"}, {"FG", "00"}, {"FB", "00"}, {"BR", "FF"}, {"BG", "FF"}, {"BB", "FF"}, {"Input", "1"},
                {"UseImage", "0"}, {"Path", ""}};
}

Keys With(Keys keys, const Keys& changes) {
    for (const auto& [key, value] : changes) keys[key] = value;
    return keys;
}

// The file as the profile functions lay it out when they create it, section by section.
std::string FileText(const Keys& keys) {
    std::string text;
    std::string section;
    for (const auto& [sectionName, key] : kKeyOrder) {
        if (section != sectionName) {
            section = sectionName;
            text += "[" + section + "]\r\n";
        }
        text += std::string(key) + "=" + keys.at(key) + "\r\n";
    }
    return text;
}

// Some systems put an empty line before each section they add; the keys and their order are what counts.
std::string WithoutEmptyLines(std::string text) {
    for (std::size_t pos; (pos = text.find("\r\n\r\n")) != std::string::npos;) text.erase(pos, 2);
    return text;
}

std::string SettingsOnDisk() {
    return WithoutEmptyLines(testsupport::ReadFile(testsupport::SettingsPath()));
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { testsupport::RemoveSettings(); }
    void TearDown() override {
        form.reset();
        testsupport::RemoveSettings();
    }

    void Start() {
        form = testsupport::NewMainForm();
        form->Show();
        testsupport::PumpPending();
    }
    // Closes the window as the title bar's close button does.
    void CloseWindow() {
        ::SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
        testsupport::PumpPending();
    }

    testsupport::MessageBoxRecorder boxes;
    std::unique_ptr<TMainForm> form;
};

TEST_F(SettingsFile, FirstCloseWritesEveryKeyWithItsDefault) {
    Start();
    EXPECT_FALSE(FileExists(testsupport::SettingsPath())) << "nothing is written before the close";
    EXPECT_EQ(form->Background().OpenDialog().InitialDir, WithoutTrailingBackslash(testsupport::ProgramFolder()));
    EXPECT_EQ(form->Background().SpiPath(), testsupport::ProgramFolder());
    EXPECT_EQ(form->EditFont.Text(), "000000");
    EXPECT_EQ(form->EditBackG.Text(), "FFFFFF");
    EXPECT_EQ(form->RadioHexDim.ItemIndex(), 1);
    EXPECT_FALSE(form->CheckBackImage.Checked());

    CloseWindow();
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_EQ(SettingsOnDisk(), FileText(DefaultKeys()));
}

TEST_F(SettingsFile, ChangedColoursAndFormatAreWrittenAtClose) {
    Start();
    ::SetFocus(form->EditFont.Handle());
    testsupport::SelectAll(form->EditFont);
    testsupport::TypeInto(form->EditFont, "12ab3C");
    form->RadioHexDim.SetItemIndex(0);
    CloseWindow();
    // The channel strings keep the case they were typed in.
    EXPECT_EQ(SettingsOnDisk(),
              FileText(With(DefaultKeys(), {{"FR", "12"}, {"FG", "ab"}, {"FB", "3C"}, {"Input", "0"}})));
}

// Hand-written files: what the window makes of each value, and what the close writes back.
struct LoadCase {
    const char* name;
    Keys written;                               // the file before the start
    std::function<void(TMainForm&)> check;      // the window after the start
    Keys rewritten;                             // the keys that the close writes differently
};

std::vector<LoadCase> LoadCases() {
    const std::string longPath = "C:\\" + std::string(2047 - 3 - 4, 'p') + ".bmp";
    // 表 (0x95 0x5C) and 能 (0x94 0x5C) end in the byte of a backslash.
    const std::string japaneseFolder = "C:\\\x95\x5C\\\x94\x5C";
    const std::string japanesePicture = "D:\\\x89\xe6\x91\x9c\\\x95\x5C\x8e\xa6.bmp";  // D:\画像\表示.bmp
    return {
        {"LowerCaseChannelStaysAsWritten", {{"FR", "ff"}},
         [](TMainForm& f) {
             EXPECT_EQ(HexFR(f), "ff");
             EXPECT_EQ(ValFR(f), 255);
             EXPECT_EQ(f.EditFR.Text(), "ff");
             EXPECT_EQ(f.BarFR.Position(), 255);
         },
         {}},
        {"UnreadableChannelCountsAsZeroAndIsKept", {{"FR", "zz"}, {"BB", "1"}},
         [](TMainForm& f) {
             EXPECT_EQ(HexFR(f), "zz");
             EXPECT_EQ(ValFR(f), 0);
             EXPECT_EQ(ValBB(f), 1);
             EXPECT_EQ(f.BarFR.Position(), 0);
         },
         {}},
        {"InputZeroIsDecimal", {{"Input", "0"}, {"FG", "80"}},
         [](TMainForm& f) {
             EXPECT_EQ(f.RadioHexDim.ItemIndex(), 0);
             EXPECT_EQ(f.EditFG.Text(), "128");
         },
         {}},
        {"InputAboveOneIsHexadecimal", {{"Input", "7"}},
         [](TMainForm& f) { EXPECT_EQ(f.RadioHexDim.ItemIndex(), 1); }, {{"Input", "1"}}},
        {"UnreadableInputIsTheDefault", {{"Input", "abc"}},
         [](TMainForm& f) { EXPECT_EQ(f.RadioHexDim.ItemIndex(), 1); }, {{"Input", "1"}}},
        {"HexadecimalInputZero", {{"Input", "0x0"}},
         [](TMainForm& f) { EXPECT_EQ(f.RadioHexDim.ItemIndex(), 0); }, {{"Input", "0"}}},
        {"NegativeInputSelectsNothing", {{"Input", "-3"}},
         [](TMainForm& f) { EXPECT_EQ(f.RadioHexDim.ItemIndex(), -1); }, {{"Input", "-1"}}},
        {"UseImageTwoIsTrue", {{"UseImage", "2"}},
         [](TMainForm& f) {
             EXPECT_TRUE(f.Background().UseImage());
             EXPECT_TRUE(f.CheckBackImage.Checked());
         },
         {{"UseImage", "1"}}},
        {"UseImageHexadecimalOneIsTrue", {{"UseImage", "0x1"}},
         [](TMainForm& f) { EXPECT_TRUE(f.Background().UseImage()); }, {{"UseImage", "1"}}},
        {"UseImageYesIsFalse", {{"UseImage", "yes"}},
         [](TMainForm& f) {
             EXPECT_FALSE(f.Background().UseImage());
             EXPECT_FALSE(f.CheckBackImage.Checked());
         },
         {{"UseImage", "0"}}},
        {"LoupeZeroTurnsTheLoupeOff", {{"Loupe", "0"}}, [](TMainForm& f) { EXPECT_FALSE(f.Pick().LoupeOn()); }, {}},
        {"UnreadableLoupeIsTheDefault", {{"Loupe", "no"}}, [](TMainForm& f) { EXPECT_TRUE(f.Pick().LoupeOn()); },
         {{"Loupe", "1"}}},
        {"PickKeyIsKeptAsWritten", {{"PickKey", "Ctrl+Alt+P"}}, [](TMainForm&) {}, {}},
        {"SampleSideIsKept", {{"Sample", "15"}}, [](TMainForm& f) { EXPECT_EQ(f.Pick().SampleSize(), 15); }, {}},
        {"SampleSideNotOfferedIsOne", {{"Sample", "4"}}, [](TMainForm& f) { EXPECT_EQ(f.Pick().SampleSize(), 1); },
         {{"Sample", "1"}}},
        {"ContrastDetailsOpenWhereTheyWereAndKeepWhereTheyGo",
         {{"DetailsLeft", "300"}, {"DetailsTop", "200"}, {"DetailsWidth", "400"}, {"DetailsHeight", "300"}},
         [](TMainForm& f) {
             f.ShowContrastDetails();
             HWND details = f.ContrastDetails()->Handle();
             RECT outer{}, client{};
             ::GetWindowRect(details, &outer);
             ::GetClientRect(details, &client);
             EXPECT_EQ(outer.left, 300);
             EXPECT_EQ(outer.top, 200);
             EXPECT_EQ(client.right, 400);
             EXPECT_EQ(client.bottom, 300);
             ::SetWindowPos(details, nullptr, 250, 150, outer.right - outer.left + 20, outer.bottom - outer.top + 10,
                            SWP_NOZORDER);
         },
         {{"DetailsLeft", "250"}, {"DetailsTop", "150"}, {"DetailsWidth", "420"}, {"DetailsHeight", "310"}}},
        {"LongestPathIsReadWhole", {{"Path", longPath}},
         [longPath](TMainForm& f) {
             EXPECT_EQ(f.Background().ImagePath(), longPath);
             EXPECT_EQ(f.EditBackImage.Text(), longPath);
         },
         {}},
        {"JapaneseNamesAreKeptByteForByte",
         {{"IniDir", japaneseFolder}, {"Spi", japaneseFolder + "\\"}, {"Path", japanesePicture}},
         [=](TMainForm& f) {
             EXPECT_EQ(f.Background().OpenDialog().InitialDir, japaneseFolder) << "a trail byte 0x5C is no trailing backslash";
             EXPECT_EQ(f.Background().SpiPath(), japaneseFolder + "\\");
             EXPECT_EQ(f.Background().ImagePath(), japanesePicture);
             EXPECT_EQ(f.EditBackImage.Text(), japanesePicture);
         },
         {}},
        {"StartingFolderLosesItsTrailingBackslash", {{"IniDir", japaneseFolder + "\\"}},
         [=](TMainForm& f) { EXPECT_EQ(f.Background().OpenDialog().InitialDir, japaneseFolder); }, {{"IniDir", japaneseFolder}}},
        {"StartingFolderPlainTrailingBackslash", {{"IniDir", "C:\\foo\\"}},
         [](TMainForm& f) { EXPECT_EQ(f.Background().OpenDialog().InitialDir, "C:\\foo"); }, {{"IniDir", "C:\\foo"}}},
        {"DriveRootKeepsItsBackslash", {{"IniDir", "C:\\"}},
         [](TMainForm& f) { EXPECT_EQ(f.Background().OpenDialog().InitialDir, "C:\\"); }, {}},
    };
}

TEST_F(SettingsFile, HandWrittenValuesAreRestoredAndWrittenBack) {
    for (const LoadCase& c : LoadCases()) {
        SCOPED_TRACE(c.name);
        const Keys written = With(DefaultKeys(), c.written);
        testsupport::WriteFile(testsupport::SettingsPath(), FileText(written));
        Start();
        c.check(*form);
        CloseWindow();
        EXPECT_EQ(SettingsOnDisk(), FileText(With(written, c.rewritten)));
        form.reset();
        testsupport::RemoveSettings();
    }
}

TEST_F(SettingsFile, MissingKeysTakeTheirDefaultsAndOtherSectionsAreKept) {
    testsupport::WriteFile(testsupport::SettingsPath(), "[Pallet]\r\nColor0=123456\r\n[Color]\r\nFG=40\r\n");
    Start();
    EXPECT_EQ(HexFR(*form), "00");
    EXPECT_EQ(HexFG(*form), "40");
    EXPECT_EQ(HexBR(*form), "FF");
    CloseWindow();
    const std::string text = SettingsOnDisk();
    EXPECT_NE(text.find("[Pallet]\r\nColor0=123456\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("FG=40\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[BackGround]\r\nUseImage=0\r\nPath=\r\n"), std::string::npos) << text;
}

// Holds the settings file open without sharing, so that no one else can write it (the file's read-only
// attribute stops nothing when the tests run as the superuser).
ui::UniqueFile LockSettings() {
    return ui::UniqueFile(::CreateFileA(testsupport::SettingsPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST_F(SettingsFile, UnwritableFileKeepsTheWindowOpenUntilItCanBeWritten) {
    const Keys before = With(DefaultKeys(), {{"FR", "11"}});
    testsupport::WriteFile(testsupport::SettingsPath(), FileText(before));
    Start();
    testsupport::SetTextColour(*form, "22", HexFG(*form), HexFB(*form));

    ui::UniqueFile lock = LockSettings();
    ASSERT_TRUE(lock);
    ASSERT_FALSE(::WritePrivateProfileStringA("Color", "FR", "33", testsupport::SettingsPath().c_str()))
        << "the file must really be unwritable for this test";
    const std::string expectedMessage = testsupport::SettingsPath() + " に書き込めません.";
    for (int attempt = 1; attempt <= 2; ++attempt) {
        SCOPED_TRACE(attempt);
        CloseWindow();
        ASSERT_EQ(boxes.messages.size(), static_cast<std::size_t>(attempt));
        EXPECT_EQ(boxes.messages.back().text, expectedMessage);
        EXPECT_EQ(boxes.messages.back().caption, "Velmira");
        EXPECT_EQ(boxes.messages.back().flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        EXPECT_TRUE(form->Visible());
        EXPECT_TRUE(::IsWindow(form->Handle()));
    }
    lock.reset();
    EXPECT_EQ(SettingsOnDisk(), FileText(before)) << "nothing in the file is lost";

    CloseWindow();
    EXPECT_EQ(boxes.messages.size(), 2u);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(SettingsOnDisk(), FileText(With(before, {{"FR", "22"}})));
}

}  // namespace
