#include "spihost/SpiPluginInfo.h"

#include <gtest/gtest.h>

#include <string>

namespace velmira {
namespace {

using namespace std::string_literals;

TEST(SpiPluginInfoText, TakesTheTextUpToItsZeroOrTheBufferEnd) {
    struct Case {
        const char* name;
        std::string buffer;  // exactly the plug-in's buffer
        std::string expected;
    };
    const Case cases[] = {
        {"up to the zero", "*.png\0junk"s, "*.png"},
        {"empty text", "\0abc"s, ""},
        {"no zero: the whole buffer", "abcdef", "abcdef"},
        {"a whole double-byte character at the end stays", "ab\x83\x41", "ab\x83\x41"},
        {"a trail byte 0x7C is part of its character", "\x83\x7C", "\x83\x7C"},
        {"a lead byte cut off at the buffer end is dropped", "ab\x83", "ab"},
        {"a lead byte before the zero is dropped", "ab\x83\0"s, "ab"},
        {"half-width katakana are whole characters", "\xB2\xD2", "\xB2\xD2"},
    };
    for (const Case& c : cases) EXPECT_EQ(PluginInfoText(c.buffer.data(), c.buffer.size()), c.expected) << c.name;
}

}  // namespace
}  // namespace velmira
