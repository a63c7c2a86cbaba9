#include <gtest/gtest.h>

#include "ui/ErrorText.h"

namespace {

TEST(WithFullStop, AppendsOnlyWhenTheLastCharacterSortsAfterTheStop) {
    struct Case {
        std::string message;
        std::string shown;
    } cases[] = {
        {"abc", "abc."},
        {"error 7", "error 7."},
        {"done.", "done."},
        {"what!", "what!"},
        {"trailing ", "trailing "},
        {"", ""},
        {"dash-", "dash-"},
        {"slash/", "slash/."},
        // Shift-JIS: a message ending in a double-byte character gets the stop, even when its trail byte
        // (0x5C here, the second byte of U+8868) sorts before ".".
        {"\x95\x5C", "\x95\x5C."},
        {"x\x82\xA0", "x\x82\xA0."},
        // The Japanese full stop (0x81 0x42) is a character of its own and still sorts after ".".
        {"\x82\xA0\x81\x42", "\x82\xA0\x81\x42."},
    };
    for (const Case& c : cases) EXPECT_EQ(ui::WithFullStop(c.message), c.shown) << c.message;
}

}  // namespace
