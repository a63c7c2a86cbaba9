#pragma once
// Checks on what a plug-in hands back, made before anything reads the blocks it allocated.
// Plug-ins are foreign code: a header that does not describe the blocks it came with is refused.
#include <cstddef>
#include <cstdint>

namespace velmira {

// Largest width or height taken from a plug-in; keeps every size computation far from overflowing.
constexpr std::int32_t kMaxSpiPictureSide = 32767;

// The picture record that GetPictureInfo fills is 28 bytes as the host declares it; the host fills it with
// this byte first, so that it can tell afterwards which bytes the plug-in wrote.
constexpr std::size_t kPictureInfoSize = 28;
constexpr unsigned char kPictureInfoSentinel = 0xFF;

// The handle of the picture's text information as the plug-in left it in the record, 0 when there is none.
// Plug-ins that lay the record out packed write 26 bytes and put the handle at byte 22; the others write all
// 28 and put it at byte 24. Bytes 26 and 27 still holding the sentinel tell the packed form, since no
// handle lies in the top 64 KB of the address space that a value 0xFFFFxxxx would point into.
std::uint32_t PictureInfoTextHandle(const unsigned char (&record)[kPictureInfoSize]);

enum class SpiPictureVerdict {
    Ok,
    BadRecordSize,    // the record's width or height is not 1 to kMaxSpiPictureSide
    InfoTooSmall,     // the bitmap-info block is shorter than its header says
    BadHeaderSize,    // biSize is none of the BITMAPINFOHEADER family's sizes
    SizeMismatch,     // the header's width or height is not the record's (a top-down DIB included)
    BadPlanes,
    BadBitCount,
    BadCompression,   // only uncompressed rows, or bit fields at 16 and 32 bits
    BadColorTable,    // more colours than the depth has, or a table past the block's end
    PixelsTooSmall,   // the pixel block holds fewer rows than the record's height
};

struct SpiPictureBlocks {
    const unsigned char* info = nullptr;  // the locked bitmap-info block
    std::size_t infoSize = 0;             // its size as the memory manager reports it
    std::size_t pixelSize = 0;            // the pixel block's size as the memory manager reports it
    std::int32_t width = 0;               // the width and height of the picture record
    std::int32_t height = 0;
};

SpiPictureVerdict CheckSpiPicture(const SpiPictureBlocks& blocks);

}  // namespace velmira
