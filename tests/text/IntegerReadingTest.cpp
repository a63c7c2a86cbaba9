#include <gtest/gtest.h>

#include <optional>

#include "text/IntegerReading.h"

namespace {

struct Reading {
    const char* text;
    std::optional<std::int32_t> expected;
};

class IntegerReadingTest : public ::testing::TestWithParam<Reading> {};

TEST_P(IntegerReadingTest, ReadsAsTheRuleSays) {
    const Reading& r = GetParam();
    EXPECT_EQ(velmira::ReadInteger(r.text), r.expected) << "text: [" << r.text << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, IntegerReadingTest,
    ::testing::Values(Reading{"0", 0}, Reading{"007", 7}, Reading{"+12", 12}, Reading{"-1", -1},
                      Reading{"   44", 44}, Reading{"2147483647", 2147483647},
                      Reading{"-2147483648", INT32_MIN}, Reading{"2147483648", std::nullopt},
                      Reading{"-2147483649", std::nullopt}, Reading{"99999999999", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, IntegerReadingTest,
    ::testing::Values(Reading{"$1F", 31}, Reading{"0x1F", 31}, Reading{"0X1f", 31}, Reading{"x10", 16},
                      Reading{"X10", 16}, Reading{"0xFFFFFFFF", -1}, Reading{"0x00000000FF", 255},
                      Reading{"0x100000000", std::nullopt}, Reading{"  $ff", 255}, Reading{"0x12C", 300}));

INSTANTIATE_TEST_SUITE_P(
    Failures, IntegerReadingTest,
    ::testing::Values(Reading{"", std::nullopt}, Reading{"   ", std::nullopt}, Reading{"-", std::nullopt},
                      Reading{"+", std::nullopt}, Reading{"$", std::nullopt}, Reading{"0x", std::nullopt},
                      Reading{"12 ", std::nullopt}, Reading{"1a", std::nullopt}, Reading{"-0x10", std::nullopt},
                      Reading{"+$10", std::nullopt}, Reading{"\t1", std::nullopt}, Reading{"0xG", std::nullopt},
                      Reading{"ff", std::nullopt}));

TEST(IntegerReading, FallbackIsTakenOnlyWhenReadingFails) {
    EXPECT_EQ(velmira::ReadIntegerOr("abc", 1), 1);
    EXPECT_EQ(velmira::ReadIntegerOr("0", 1), 0);
    EXPECT_EQ(velmira::ReadIntegerOr("-3", 1), -3);
}

}  // namespace
