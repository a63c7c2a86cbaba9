#include "spihost/SpiPictureCheck.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "picture/BmpDecoder.h"

namespace velmira {
namespace {

void PutU32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}
void PutU16(std::vector<unsigned char>& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<unsigned char>(value);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}

// A BITMAPCOREHEADER with room for a full table of RGBTRIPLEs after it.
std::vector<unsigned char> CoreHeader(std::uint16_t width, std::uint16_t height, std::uint16_t bits) {
    std::vector<unsigned char> info(12 + 256 * 3);
    PutU32(info, 0, 12);
    PutU16(info, 4, width);
    PutU16(info, 6, height);
    PutU16(info, 8, 1);
    PutU16(info, 10, bits);
    return info;
}

// A 5 x 3 picture as a sound plug-in hands it back: a 40-byte header (plus a table) and padded rows.
struct Picture {
    std::vector<unsigned char> info = std::vector<unsigned char>(40 + 256 * 4);
    std::size_t infoSize = 40;
    std::size_t pixelSize = 16 * 3;  // 5 pixels of 24 bits, padded to 16 bytes
    std::int32_t width = 5;
    std::int32_t height = 3;

    Picture() {
        PutU32(info, 0, 40);
        PutU32(info, 4, 5);
        PutU32(info, 8, 3);
        PutU16(info, 12, 1);
        PutU16(info, 14, 24);
    }
    SpiPictureVerdict Check() const {
        SpiPictureBlocks blocks;
        blocks.info = info.data();
        blocks.infoSize = infoSize;
        blocks.pixelSize = pixelSize;
        blocks.width = width;
        blocks.height = height;
        return CheckSpiPicture(blocks);
    }
};

TEST(SpiPictureCheck, JudgesEachFaultOfTheBlocks) {
    struct Case {
        const char* name;
        std::function<void(Picture&)> change;
        SpiPictureVerdict expected;
    };
    using V = SpiPictureVerdict;
    const Case cases[] = {
        {"sound 24-bit picture", [](Picture&) {}, V::Ok},
        {"32 bits, rows need no padding", [](Picture& p) { PutU16(p.info, 14, 32); p.pixelSize = 20 * 3; }, V::Ok},
        {"8 bits with its full table",
         [](Picture& p) { PutU16(p.info, 14, 8); p.infoSize = 40 + 1024; p.pixelSize = 8 * 3; }, V::Ok},
        {"8 bits with two colours used",
         [](Picture& p) { PutU16(p.info, 14, 8); PutU32(p.info, 32, 2); p.infoSize = 48; p.pixelSize = 24; }, V::Ok},
        {"8 bits stating more colours than the depth has, 256 of them there",
         [](Picture& p) { PutU16(p.info, 14, 8); PutU32(p.info, 32, 300); p.infoSize = 40 + 1024; }, V::Ok},
        {"32 bits with bit fields after the header",
         [](Picture& p) { PutU16(p.info, 14, 32); PutU32(p.info, 16, 3); p.infoSize = 52; p.pixelSize = 60; }, V::Ok},
        {"16 bits with bit fields inside a V5 header",
         [](Picture& p) { PutU32(p.info, 0, 124); PutU16(p.info, 14, 16); PutU32(p.info, 16, 3); p.infoSize = 124; },
         V::Ok},
        {"a V5 header", [](Picture& p) { PutU32(p.info, 0, 124); p.infoSize = 124; }, V::Ok},
        {"blocks larger than needed", [](Picture& p) { p.infoSize = 200; p.pixelSize = 4096; }, V::Ok},
        {"top-down rows", [](Picture& p) { PutU32(p.info, 8, static_cast<std::uint32_t>(-3)); }, V::Ok},
        {"24 bits stating a table that is not read", [](Picture& p) { PutU32(p.info, 32, 0x40000000u); }, V::Ok},
        {"run-length 8-bit rows, biSizeImage in the block",
         [](Picture& p) { PutU16(p.info, 14, 8); PutU32(p.info, 16, 1); PutU32(p.info, 20, 9); p.infoSize = 1064;
                          p.pixelSize = 9; }, V::Ok},
        {"run-length 4-bit rows, biSizeImage in the block",
         [](Picture& p) { PutU16(p.info, 14, 4); PutU32(p.info, 16, 2); PutU32(p.info, 20, 9); p.infoSize = 104;
                          p.pixelSize = 9; }, V::Ok},
        {"a core header with RGBTRIPLE entries",
         [](Picture& p) { p.info = CoreHeader(5, 3, 8); p.infoSize = 12 + 256 * 3; p.pixelSize = 8 * 3; }, V::Ok},
        {"record width negative", [](Picture& p) { p.width = -5; }, V::BadRecordSize},
        {"record height zero", [](Picture& p) { p.height = 0; }, V::BadRecordSize},
        {"record height absurd", [](Picture& p) { p.height = kMaxSpiPictureSide + 1; }, V::BadRecordSize},
        {"no info block", [](Picture& p) { p.infoSize = 0; }, V::InfoTooSmall},
        {"block shorter than a header", [](Picture& p) { p.infoSize = 39; }, V::InfoTooSmall},
        {"V5 header in a 40-byte block", [](Picture& p) { PutU32(p.info, 0, 124); }, V::InfoTooSmall},
        {"core header size on an info header", [](Picture& p) { PutU32(p.info, 0, 12); }, V::SizeMismatch},
        {"huge header size", [](Picture& p) { PutU32(p.info, 0, 0xFFFFFFF0u); }, V::BadHeaderSize},
        {"header wider than the record", [](Picture& p) { PutU32(p.info, 4, 6); }, V::SizeMismatch},
        {"the most negative height", [](Picture& p) { PutU32(p.info, 8, 0x80000000u); }, V::SizeMismatch},
        {"two planes", [](Picture& p) { PutU16(p.info, 12, 2); }, V::BadPlanes},
        {"7 bits", [](Picture& p) { PutU16(p.info, 14, 7); }, V::BadBitCount},
        {"0 bits", [](Picture& p) { PutU16(p.info, 14, 0); }, V::BadBitCount},
        {"16 bits in a core header", [](Picture& p) { p.info = CoreHeader(5, 3, 16); p.infoSize = 12; },
         V::BadBitCount},
        {"run-length rows at 24 bits", [](Picture& p) { PutU32(p.info, 16, 1); }, V::BadCompression},
        {"run-length rows top-down",
         [](Picture& p) { PutU16(p.info, 14, 8); PutU32(p.info, 16, 1); PutU32(p.info, 20, 9);
                          PutU32(p.info, 8, static_cast<std::uint32_t>(-3)); p.infoSize = 1064; }, V::BadCompression},
        {"bit fields at 24 bits", [](Picture& p) { PutU32(p.info, 16, 3); }, V::BadCompression},
        {"JPEG rows", [](Picture& p) { PutU32(p.info, 16, 4); }, V::BadCompression},
        {"bit fields without room for the masks",
         [](Picture& p) { PutU16(p.info, 14, 32); PutU32(p.info, 16, 3); p.pixelSize = 60; }, V::BadColorTable},
        {"8 bits stating more colours than the depth has, fewer than 256 there",
         [](Picture& p) { PutU16(p.info, 14, 8); PutU32(p.info, 32, 300); p.infoSize = 40 + 1020; }, V::BadColorTable},
        {"8 bits without room for the table", [](Picture& p) { PutU16(p.info, 14, 8); p.pixelSize = 24; },
         V::BadColorTable},
        {"core header without room for its table",
         [](Picture& p) { p.info = CoreHeader(5, 3, 8); p.infoSize = 12 + 255 * 3; p.pixelSize = 8 * 3; },
         V::BadColorTable},
        {"last row one byte short", [](Picture& p) { p.pixelSize -= 1; }, V::PixelsTooSmall},
        {"rows unpadded", [](Picture& p) { p.pixelSize = 15 * 3; }, V::PixelsTooSmall},
        {"run-length rows without biSizeImage",
         [](Picture& p) { PutU16(p.info, 14, 8); PutU32(p.info, 16, 1); p.infoSize = 1064; }, V::PixelsTooSmall},
        {"run-length rows with biSizeImage past the block",
         [](Picture& p) { PutU16(p.info, 14, 8); PutU32(p.info, 16, 1); PutU32(p.info, 20, 49); p.infoSize = 1064; },
         V::PixelsTooSmall},
        {"widest record, no pixels",
         [](Picture& p) {
             p.width = p.height = kMaxSpiPictureSide;
             PutU32(p.info, 4, kMaxSpiPictureSide);
             PutU32(p.info, 8, kMaxSpiPictureSide);
         },
         V::PixelsTooSmall},
    };
    for (const Case& c : cases) {
        Picture picture;
        c.change(picture);
        EXPECT_EQ(picture.Check(), c.expected) << c.name;
    }
}

// Whatever header the plug-in used, the conversion gets a 40-byte header, the masks after it, and the entries that
// are read as RGBQUADs; the rows stay where the plug-in put them, and the BMP reader takes them from there.
TEST(SpiPictureCheck, RewritesAnAcceptedDibIntoOnePlainForm) {
    struct Case {
        const char* name;
        std::function<void(Picture&)> change;
        std::vector<unsigned char> header;  // bytes 0 to 39 of the rewritten header that matter here
        std::size_t infoBytes;
        std::vector<unsigned char> after;   // the first bytes after the header
    };
    auto header = [](std::int32_t height, std::uint16_t bits, std::uint32_t compression, std::uint32_t sizeImage,
                     std::uint32_t clrUsed) {
        std::vector<unsigned char> h(40);
        PutU32(h, 0, 40);
        PutU32(h, 4, 5);
        PutU32(h, 8, static_cast<std::uint32_t>(height));
        PutU16(h, 12, 1);
        PutU16(h, 14, bits);
        PutU32(h, 16, compression);
        PutU32(h, 20, sizeImage);
        PutU32(h, 32, clrUsed);
        return h;
    };
    const Case cases[] = {
        {"core header, 1 bit: RGBTRIPLEs become RGBQUADs",
         [](Picture& p) {
             p.info = CoreHeader(5, 3, 1);
             p.info[12] = 1, p.info[13] = 2, p.info[14] = 3, p.info[15] = 4;
             p.infoSize = 18;
             p.pixelSize = 12;
         },
         header(3, 1, 0, 12, 2), 48, {1, 2, 3, 0, 4, 0, 0, 0}},
        {"V5 header with bit fields: the masks move after the 40 bytes",
         [](Picture& p) {
             PutU32(p.info, 0, 124);
             PutU16(p.info, 14, 32);
             PutU32(p.info, 16, 3);
             PutU32(p.info, 40, 0xF800), PutU32(p.info, 44, 0x07E0), PutU32(p.info, 48, 0x001F);
             p.infoSize = 124;
             p.pixelSize = 60;
         },
         header(3, 32, 3, 60, 0), 52, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}},
        {"8 bits stating 300 colours: 256 entries",
         [](Picture& p) {
             PutU16(p.info, 14, 8);
             PutU32(p.info, 32, 300);
             p.info[40] = 9, p.info[43] = 0x77;  // the reserved byte is dropped
             p.infoSize = 40 + 1024;
             p.pixelSize = 24;
         },
         header(3, 8, 0, 24, 256), 40 + 1024, {9, 0, 0, 0}},
        {"top-down: the height stays negative",
         [](Picture& p) { PutU32(p.info, 8, static_cast<std::uint32_t>(-3)); }, header(-3, 24, 0, 48, 0), 40, {}},
        {"24 bits stating a table: none is kept",
         [](Picture& p) { PutU32(p.info, 32, 5); p.infoSize = 60; }, header(3, 24, 0, 48, 0), 40, {}},
    };
    for (const Case& c : cases) {
        Picture picture;
        c.change(picture);
        SpiPictureBlocks blocks{picture.info.data(), picture.infoSize, picture.pixelSize, 5, 3};
        SpiPictureLayout layout;
        ASSERT_EQ(CheckSpiPicture(blocks, &layout), SpiPictureVerdict::Ok) << c.name;
        const std::vector<unsigned char> info = CanonicalSpiInfo(blocks, layout);
        ASSERT_EQ(info.size(), c.infoBytes) << c.name;
        EXPECT_EQ(std::vector<unsigned char>(info.begin(), info.begin() + 40), c.header) << c.name;
        EXPECT_EQ(std::vector<unsigned char>(info.begin() + 40, info.begin() + 40 + c.after.size()), c.after) << c.name;
        // The rewritten form passes the check as it is.
        SpiPictureBlocks again{info.data(), info.size(), picture.pixelSize, 5, 3};
        EXPECT_EQ(CheckSpiPicture(again), SpiPictureVerdict::Ok) << c.name;
    }

    // Rows: read in place, the first row of a top-down DIB at the top, of a bottom-up one at the bottom; only the
    // visible rows are converted.
    const std::vector<unsigned char> rows = {1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0};
    for (const bool topDown : {true, false}) {
        Picture picture;
        PutU32(picture.info, 4, 1);
        PutU32(picture.info, 8, static_cast<std::uint32_t>(topDown ? -3 : 3));
        SpiPictureBlocks blocks{picture.info.data(), picture.infoSize, rows.size(), 1, 3};
        SpiPictureLayout layout;
        ASSERT_EQ(CheckSpiPicture(blocks, &layout), SpiPictureVerdict::Ok);
        SpiDibFile file(blocks, layout, rows.data());
        // Reads across the end of the 54-byte head: part of the rows, then all of them and no more.
        std::vector<unsigned char> bytes(54 + rows.size() + 8);
        EXPECT_EQ(file.ReadAt(0, bytes.data(), 60), 60u);
        ASSERT_EQ(file.ReadAt(0, bytes.data(), bytes.size()), 54 + rows.size());
        EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 54, bytes.begin() + 66), rows);
        EXPECT_EQ(file.ReadAt(60, bytes.data(), bytes.size()), 6u) << "the last six bytes";
        const DecodedPicture shown = DecodeBmp(file, 5, 2);
        EXPECT_EQ(shown.height, 3);
        EXPECT_EQ(shown.pixels, (topDown ? std::vector<std::uint32_t>{0x010101, 0x020202}
                                         : std::vector<std::uint32_t>{0x030303, 0x020202}));
    }
}

TEST(SpiPictureCheck, FindsTheTextHandleWhereThePluginPutIt) {
    struct Case {
        const char* name;
        std::size_t written;  // bytes the plug-in wrote over the sentinel
        std::size_t at;       // where it put the handle
        std::uint32_t handle;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"record with the gap", 28, 24, 0x00345678u, 0x00345678u},
        {"packed record", 26, 22, 0x00123456u, 0x00123456u},
        {"packed record, handle high in memory", 26, 22, 0x7FFE1234u, 0x7FFE1234u},
        {"record with the gap, no handle", 28, 24, 0, 0},
        {"packed record, no handle", 26, 22, 0, 0},
        {"record with the gap, handle left unwritten", 24, 24, 0, 0},
        {"nothing written at all", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        unsigned char record[kPictureInfoSize];
        std::memset(record, kPictureInfoSentinel, sizeof record);
        std::memset(record, 0x11, c.written);
        if (c.written > c.at) std::memcpy(record + c.at, &c.handle, 4);
        EXPECT_EQ(PictureInfoTextHandle(record), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace velmira
