#include <gtest/gtest.h>

#include <string>

#include "image/ImageFormat.h"
#include "image/Tiling.h"

namespace velmira {
namespace {

// Japanese names are spelled as code page 932 bytes so that the native build (UTF-8 literals) and the
// Windows build (CP932 literals) test the same bytes. 表 is 0x95 0x5C: its trail byte is a backslash.
#define HYO "\x95\x5C"
#define SO "\x83\x5C"  // ソ, another 0x5C trail byte

struct FormatCase {
    const char* path;
    const char* extension;
    int format;
};

const FormatCase kFormatCases[] = {
    {"PHOTO.JPG", ".JPG", kFormatJpeg},
    {"a.Jpeg", ".Jpeg", kFormatJpeg},
    {"X.BMP", ".BMP", kFormatBmp},
    {"x.jpe", ".jpe", kFormatOther},
    {"y.png", ".png", kFormatOther},
    {"noext", "", kFormatOther},
    {"dir.v2\\file", "", kFormatOther},
    {"C:\\a.b\\c", "", kFormatOther},
    {"D:name.bmp", ".bmp", kFormatBmp},
    {"E:x.jpg:stream", "", kFormatOther},
    {"C:\\pics\\archive.tar.JPEG", ".JPEG", kFormatJpeg},
    {"ends.in.", ".", kFormatOther},
    {".bmp", ".bmp", kFormatBmp},
    {"", "", kFormatOther},
    {HYO ".bmp", ".bmp", kFormatBmp},
    {"C:\\" HYO "\\a", "", kFormatOther},
    {"C:\\a.jpg\\" HYO, "", kFormatOther},        // the dot sits in a folder name
    {"C:\\x." HYO, "." HYO, kFormatOther},         // 表's trail byte ends no folder
    {"C:\\d.e\\" SO ".JPG", ".JPG", kFormatJpeg},
    {"C:\\" SO "\\" SO ".jpg", ".jpg", kFormatJpeg},
    {"picture.bmp ", ".bmp ", kFormatOther},
};

TEST(ImageFormatTest, ExtensionAndFormatFollowTheLastDotAfterTheLastSeparator) {
    for (const FormatCase& c : kFormatCases) {
        EXPECT_EQ(ExtensionOf(c.path), std::string(c.extension)) << c.path;
        EXPECT_EQ(CheckFormat(c.path), c.format) << c.path;
    }
}

TEST(ImageFormatTest, LowerCasingLeavesDoubleByteCharactersAlone) {
    // 0x82 0x60 is full-width Ａ: its trail byte 0x60 is no letter, but 0x81 0x41 (、) has trail 'A'.
    EXPECT_EQ(LowerCaseSingleByteLetters(".BMP\x81\x41Z"), ".bmp\x81\x41z");
    EXPECT_EQ(LowerCaseSingleByteLetters("\x82\x60" "A"), "\x82\x60" "a");
}

TEST(ImageFormatTest, ASingleBytePredicateSeesTrailBytesAsSeparators) {
    auto noLeadBytes = [](unsigned char) { return false; };
    EXPECT_EQ(ExtensionOf("C:\\x." HYO, noLeadBytes), "");
    EXPECT_EQ(CheckFormat(HYO ".BMP", noLeadBytes), kFormatBmp);
}

TEST(ImageFormatTest, AlreadyLowerCasedExtensionsMapToFormats) {
    EXPECT_EQ(FormatOfLowerCaseExtension(".jpg"), kFormatJpeg);
    EXPECT_EQ(FormatOfLowerCaseExtension(".jpeg"), kFormatJpeg);
    EXPECT_EQ(FormatOfLowerCaseExtension(".bmp"), kFormatBmp);
    EXPECT_EQ(FormatOfLowerCaseExtension(".JPG"), kFormatOther);
    EXPECT_EQ(FormatOfLowerCaseExtension(""), kFormatOther);
}

TEST(TilingTest, SmallPictureRepeatsWithTheLastColumnAndRowCut) {
    const auto tiles = TileRects(10, 10, 163, 188);
    ASSERT_EQ(tiles.size(), 17u * 19u);
    EXPECT_EQ(tiles.front().left, 0);
    EXPECT_EQ(tiles.front().top, 0);
    EXPECT_EQ(tiles.front().Width(), 10);
    const TileRect& lastInFirstRow = tiles[16];
    EXPECT_EQ(lastInFirstRow.left, 160);
    EXPECT_EQ(lastInFirstRow.Width(), 3);
    EXPECT_EQ(lastInFirstRow.Height(), 10);
    const TileRect& last = tiles.back();
    EXPECT_EQ(last.top, 180);
    EXPECT_EQ(last.Height(), 8);
    EXPECT_EQ(last.right, 163);
    EXPECT_EQ(last.bottom, 188);
    // Together the tiles cover every pixel exactly once.
    long long area = 0;
    for (const TileRect& t : tiles) area += static_cast<long long>(t.Width()) * t.Height();
    EXPECT_EQ(area, 163 * 188);
}

TEST(TilingTest, LargePictureIsOneTileClippedToThePreview) {
    const auto tiles = TileRects(400, 300, 163, 188);
    ASSERT_EQ(tiles.size(), 1u);
    EXPECT_EQ(tiles[0].left, 0);
    EXPECT_EQ(tiles[0].top, 0);
    EXPECT_EQ(tiles[0].right, 163);
    EXPECT_EQ(tiles[0].bottom, 188);
}

TEST(TilingTest, ExactFitTilesWithoutRemainder) {
    const auto tiles = TileRects(163, 94, 163, 188);
    ASSERT_EQ(tiles.size(), 2u);
    EXPECT_EQ(tiles[1].top, 94);
    EXPECT_EQ(tiles[1].Height(), 94);
}

TEST(TilingTest, EmptyPictureOrAreaGivesNoTiles) {
    EXPECT_TRUE(TileRects(0, 10, 163, 188).empty());
    EXPECT_TRUE(TileRects(10, 0, 163, 188).empty());
    EXPECT_TRUE(TileRects(-5, 10, 163, 188).empty());
    EXPECT_TRUE(TileRects(10, 10, 0, 188).empty());
}

TEST(TilingTest, HugePictureDoesNotOverflow) {
    const auto tiles = TileRects(2147483647, 2147483647, 163, 188);
    ASSERT_EQ(tiles.size(), 1u);
    EXPECT_EQ(tiles[0].right, 163);
}

}  // namespace
}  // namespace velmira
