// How settings keys are read from their text, and the open-file dialog's starting folder.
#include <gtest/gtest.h>

#include "settings/SettingsText.h"

namespace {

TEST(SettingsText, BooleanKeysAreIntegersAndAnythingButZeroIsTrue) {
    struct Case {
        const char* text;
        bool fallback;
        bool expected;
    };
    const Case cases[] = {
        {"1", false, true},   {"0", true, false},   {"2", false, true},  {"0x1", false, true}, {"-1", false, true},
        {" 1", false, true},  {"yes", false, false}, {"yes", true, true}, {"", false, false},  {"", true, true},
        {"1 ", false, false}, {"$0", true, false},
    };
    for (const Case& c : cases) EXPECT_EQ(velmira::ReadBooleanText(c.text, c.fallback), c.expected) << c.text;
}

TEST(SettingsText, StartingFolderDropsOneTrailingBackslashButNotADriveRoots) {
    struct Case {
        std::string folder;
        std::string expected;
    };
    const Case cases[] = {
        {"C:\\foo\\", "C:\\foo"},
        {"C:\\foo", "C:\\foo"},
        {"C:\\", "C:\\"},
        {"C:", "C:"},
        {"\\", ""},
        {"", ""},
        {"C:\\foo\\\\", "C:\\foo\\"},
        {"\\\\server\\share\\", "\\\\server\\share"},
        // 表 is 0x95 0x5C: its trail byte is not a backslash of its own.
        {"C:\\\x95\x5C", "C:\\\x95\x5C"},
        {"C:\\\x95\x5C\\", "C:\\\x95\x5C"},
        // A trail byte that is 0x3A is not a drive colon either (0x81 0x3A is not a valid pair, but still one
        // character to the reader).
        {"C:\\\x81:\\", "C:\\\x81:"},
    };
    for (const Case& c : cases) EXPECT_EQ(velmira::StartingFolder(c.folder), c.expected) << c.folder;
}

}  // namespace
