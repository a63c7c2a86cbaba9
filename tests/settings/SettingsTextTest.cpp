// How settings keys are read from their text, the open-file dialog's starting folder, and key combinations.
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

TEST(SettingsText, KeyCombinationsNameModifiersThenOneKey) {
    constexpr unsigned alt = 1, ctrl = 2, shift = 4, win = 8;
    struct Case {
        const char* text;
        std::optional<velmira::KeyCombination> expected;
    };
    const Case cases[] = {
        {"Ctrl+Alt+P", velmira::KeyCombination{ctrl | alt, 'P'}},
        {" alt + control + p ", velmira::KeyCombination{ctrl | alt, 'P'}},
        {"Ctrl+Win+Shift+7", velmira::KeyCombination{ctrl | win | shift, '7'}},
        {"Alt+Delete", velmira::KeyCombination{alt, 0x2E}},
        {"Ctrl+Left", velmira::KeyCombination{ctrl, 0x25}},
        {"Alt+Up", velmira::KeyCombination{alt, 0x26}},
        {"Ctrl+Right", velmira::KeyCombination{ctrl, 0x27}},
        {"Ctrl+Down", velmira::KeyCombination{ctrl, 0x28}},
        {"Ctrl+Space", velmira::KeyCombination{ctrl, 0x20}},
        {"F9", velmira::KeyCombination{0, 0x78}},
        {"Shift+F24", velmira::KeyCombination{shift, 0x87}},
        {"Alt+Pause", velmira::KeyCombination{alt, 0x13}},
        {"Ctrl+PageDown", velmira::KeyCombination{ctrl, 0x22}},
        // The virtual-key codes of the system's keyboard reference; each one off by one is another key.
        {"F1", velmira::KeyCombination{0, 0x70}},
        {"Ctrl+Insert", velmira::KeyCombination{ctrl, 0x2D}},
        {"Alt+Home", velmira::KeyCombination{alt, 0x24}},
        {"Alt+End", velmira::KeyCombination{alt, 0x23}},
        {"Ctrl+Shift+PageUp", velmira::KeyCombination{ctrl | shift, 0x21}},
        {"Win+F12", velmira::KeyCombination{win, 0x7B}},
        // Keys that type or edit need Ctrl or Alt: alone, with Shift or with Win they would be taken from every
        // program.
        {"P", std::nullopt},
        {"Shift+P", std::nullopt},
        {"Win+Shift+7", std::nullopt},
        {"Space", std::nullopt},
        {"Delete", std::nullopt},
        {"Shift+Insert", std::nullopt},
        {"Win+Home", std::nullopt},
        {"End", std::nullopt},
        {"PageUp", std::nullopt},
        {"Shift+PageDown", std::nullopt},
        {"Down", std::nullopt},
        {"", std::nullopt},
        {"Ctrl+", std::nullopt},
        {"Ctrl+Alt", std::nullopt},
        {"Ctrl+Ctrl+P", std::nullopt},
        {"Ctrl+P+Q", std::nullopt},
        {"Hyper+P", std::nullopt},
        {"Ctrl+F0", std::nullopt},
        {"Ctrl+F25", std::nullopt},
        {"Ctrl+F01", std::nullopt},
        {"Ctrl+\x82\x6F", std::nullopt},  // a full-width P
    };
    for (const Case& c : cases) EXPECT_EQ(velmira::ReadKeyCombinationText(c.text), c.expected) << c.text;
}

}  // namespace
