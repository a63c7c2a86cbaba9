#include <gtest/gtest.h>

#include "text/PathText.h"

namespace {

TEST(DirectoryWithBackslash, CutsAfterTheLastBackslashThatIsACharacterOfItsOwn) {
    struct Case {
        std::string path;
        std::string directory;
    } cases[] = {
        {"C:\\Program Files\\Velmira\\velmira.exe", "C:\\Program Files\\Velmira\\"},
        {"C:\\velmira.exe", "C:\\"},
        {"velmira.exe", ""},
        // U+8868 is 0x95 0x5C in code page 932: its trail byte is not a separator.
        {"C:\\\x95\x5C\\a.exe", "C:\\\x95\x5C\\"},
        {"C:\\\x95\x5C", "C:\\"},
        {"\\\\server\\share\\x.exe", "\\\\server\\share\\"},
    };
    for (const Case& c : cases) EXPECT_EQ(velmira::DirectoryWithBackslash(c.path), c.directory) << c.path;
}

TEST(LastSeparator, FindsTheColonWhenAsked) {
    EXPECT_EQ(velmira::LastSeparator("D:name.bmp", true), 1u);
    EXPECT_EQ(velmira::LastSeparator("D:name.bmp", false), std::string::npos);
}

}  // namespace
