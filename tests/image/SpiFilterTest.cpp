#include "image/SpiFilter.h"

#include <gtest/gtest.h>

#include <string>

namespace velmira {
namespace {

using namespace std::string_literals;

TEST(SpiFilter, OnePngPluginGivesTheDocumentedFilter) {
    EXPECT_EQ(BuildOpenFilter({{"*.png", "PNG"}}),
              "ｲﾒｰｼﾞﾌｧｲﾙ|;*.png;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|PNG|*.png|BMPﾌｧｲﾙ(*.bmp)|*.bmp|"
              "すべてのﾌｧｲﾙ(*.*)|*.*");
}

TEST(SpiFilter, NoPluginsLeaveTheFourFixedEntries) {
    EXPECT_EQ(BuildOpenFilter({}),
              "ｲﾒｰｼﾞﾌｧｲﾙ|;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|BMPﾌｧｲﾙ(*.bmp)|*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*");
}

TEST(SpiFilter, PluginsAppearInListOrderInTheFirstEntryAndAsEntriesOfTheirOwn) {
    EXPECT_EQ(BuildOpenFilter({{"*.b;*.bb", "Bee"}, {"*.a", "Ay"}}),
              "ｲﾒｰｼﾞﾌｧｲﾙ|;*.b;*.bb;*.a;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|Bee|*.b;*.bb|Ay|*.a|"
              "BMPﾌｧｲﾙ(*.bmp)|*.bmp|すべてのﾌｧｲﾙ(*.*)|*.*");
}

TEST(SpiFilter, EmptyPluginTextsStillTakeTheirPlaces) {
    EXPECT_EQ(BuildOpenFilter({{"", ""}}),
              "ｲﾒｰｼﾞﾌｧｲﾙ|;;*.bmp;*.jpg;*.jpeg|jpegﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|||BMPﾌｧｲﾙ(*.bmp)|*.bmp|"
              "すべてのﾌｧｲﾙ(*.*)|*.*");
}

}  // namespace
}  // namespace velmira
