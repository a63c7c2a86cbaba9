#include "ui/DialogFilter.h"

#include <gtest/gtest.h>

#include <string>

namespace ui {
namespace {

using namespace std::string_literals;

// Code page 932 bytes are spelt out: natively the literals above are UTF-8.
TEST(DialogFilter, ConvertsSeparatorsByCharacter) {
    struct Case {
        const char* name;
        std::string filter;
        std::string expected;
    };
    const Case cases[] = {
        {"separators become zeros, two zeros end it", "A|*.a|B|*.b", "A\0*.a\0B\0*.b\0\0"s},
        {"nothing but the end", "", "\0\0"s},
        {"a trail byte 0x7C stays (ポ is 83 7C)", "\x83\x7C|*.p", "\x83\x7C\0*.p\0\0"s},
        {"half-width katakana are single bytes", "\xB2\xD2|*.k", "\xB2\xD2\0*.k\0\0"s},
        {"a lead byte at the very end is kept as it is", "x|\x83", "x\0\x83\0\0"s},
        {"empty elements stay empty", "||", "\0\0\0\0"s},
    };
    for (const Case& c : cases) EXPECT_EQ(FilterToDialogForm(c.filter), c.expected) << c.name;
}

}  // namespace
}  // namespace ui
