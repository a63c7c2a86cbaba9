#include "image/SpiPictureCheck.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace velmira {
namespace {

void PutU32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}
void PutU16(std::vector<unsigned char>& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<unsigned char>(value);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
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
        {"32 bits with bit fields after the header",
         [](Picture& p) { PutU16(p.info, 14, 32); PutU32(p.info, 16, 3); p.infoSize = 52; p.pixelSize = 60; }, V::Ok},
        {"a V5 header", [](Picture& p) { PutU32(p.info, 0, 124); p.infoSize = 124; }, V::Ok},
        {"blocks larger than needed", [](Picture& p) { p.infoSize = 200; p.pixelSize = 4096; }, V::Ok},
        {"record width negative", [](Picture& p) { p.width = -5; }, V::BadRecordSize},
        {"record height zero", [](Picture& p) { p.height = 0; }, V::BadRecordSize},
        {"record height absurd", [](Picture& p) { p.height = kMaxSpiPictureSide + 1; }, V::BadRecordSize},
        {"no info block", [](Picture& p) { p.infoSize = 0; }, V::InfoTooSmall},
        {"block shorter than a header", [](Picture& p) { p.infoSize = 39; }, V::InfoTooSmall},
        {"V5 header in a 40-byte block", [](Picture& p) { PutU32(p.info, 0, 124); }, V::InfoTooSmall},
        {"core header size", [](Picture& p) { PutU32(p.info, 0, 12); }, V::BadHeaderSize},
        {"huge header size", [](Picture& p) { PutU32(p.info, 0, 0xFFFFFFF0u); }, V::BadHeaderSize},
        {"header wider than the record", [](Picture& p) { PutU32(p.info, 4, 6); }, V::SizeMismatch},
        {"top-down rows", [](Picture& p) { PutU32(p.info, 8, static_cast<std::uint32_t>(-3)); }, V::SizeMismatch},
        {"two planes", [](Picture& p) { PutU16(p.info, 12, 2); }, V::BadPlanes},
        {"7 bits", [](Picture& p) { PutU16(p.info, 14, 7); }, V::BadBitCount},
        {"0 bits", [](Picture& p) { PutU16(p.info, 14, 0); }, V::BadBitCount},
        {"run-length rows", [](Picture& p) { PutU32(p.info, 16, 1); }, V::BadCompression},
        {"bit fields at 24 bits", [](Picture& p) { PutU32(p.info, 16, 3); }, V::BadCompression},
        {"bit fields without room for the masks",
         [](Picture& p) { PutU16(p.info, 14, 32); PutU32(p.info, 16, 3); p.pixelSize = 60; }, V::BadColorTable},
        {"more colours than 8 bits have",
         [](Picture& p) { PutU16(p.info, 14, 8); PutU32(p.info, 32, 257); p.infoSize = 2000; }, V::BadColorTable},
        {"8 bits without room for the table", [](Picture& p) { PutU16(p.info, 14, 8); p.pixelSize = 24; },
         V::BadColorTable},
        {"24 bits with a table past the block", [](Picture& p) { PutU32(p.info, 32, 0x40000000u); }, V::BadColorTable},
        {"last row one byte short", [](Picture& p) { p.pixelSize -= 1; }, V::PixelsTooSmall},
        {"rows unpadded", [](Picture& p) { p.pixelSize = 15 * 3; }, V::PixelsTooSmall},
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
