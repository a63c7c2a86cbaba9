#pragma once
// Checks on what a plug-in hands back, made before anything reads the blocks it allocated. Every DIB that GDI
// draws passes; what is refused is what would make the conversion read outside the blocks, or is no DIB at all.
// A DIB that passes is then read through one plain form of its bitmap info (CanonicalSpiInfo, SpiDibFile), so
// that the conversion reads exactly the bytes checked here, whatever the header's kind or the table's stated length.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "picture/ByteSource.h"

namespace velmira {

// Largest width or height taken from a plug-in; keeps every size computation far from overflowing.
constexpr std::int32_t kMaxSpiPictureSide = 32767;

// The picture record that GetPictureInfo fills is 28 bytes as the host declares it; the host fills it with
// this byte first, so that it can tell afterwards which bytes the plug-in wrote.
constexpr std::size_t kPictureInfoSize = 28;
constexpr unsigned char kPictureInfoSentinel = 0xFF;

// The handle of the picture's text information as the plug-in left it in the record, 0 when there is none.
// Plug-ins that lay the record out packed write 26 bytes and put the handle at byte 22; the others write all
// 28 and put it at byte 24. Bytes 26 and 27 left holding the sentinel tell the packed form, since no
// handle lies in the top 64 KB of the address space that a value 0xFFFFxxxx would point into.
std::uint32_t PictureInfoTextHandle(const unsigned char (&record)[kPictureInfoSize]);

enum class SpiPictureVerdict {
    Ok,
    BadRecordSize,    // the record's width or height is not 1 to kMaxSpiPictureSide
    InfoTooSmall,     // the bitmap-info block is shorter than its header says
    BadHeaderSize,    // biSize is none of the sizes of the core header and the BITMAPINFOHEADER family
    SizeMismatch,     // the header's width or absolute height is not the record's
    BadPlanes,
    BadBitCount,
    BadCompression,   // a compression GDI does not draw at this depth (or run-length rows stored top-down)
    BadColorTable,    // the masks or the colour entries that GDI reads lie past the block's end
    PixelsTooSmall,   // the pixel block holds less than the rows need, or than biSizeImage of run-length rows
};

struct SpiPictureBlocks {
    const unsigned char* info = nullptr;  // the locked bitmap-info block
    std::size_t infoSize = 0;             // its size as the memory manager reports it
    std::size_t pixelSize = 0;            // the pixel block's size as the memory manager reports it
    std::int32_t width = 0;               // the width and height of the picture record
    std::int32_t height = 0;
};

// What GDI reads from the blocks of a DIB that passed the check.
struct SpiPictureLayout {
    std::uint32_t headerSize = 0;   // 12 for a core header, otherwise 40 or one of the larger headers
    std::uint16_t bits = 0;
    std::uint32_t compression = 0;  // BI_RGB 0, BI_RLE8 1, BI_RLE4 2, BI_BITFIELDS 3
    std::uint32_t masksAt = 0;      // where the red, green and blue masks start; 0 without bit fields
    std::uint32_t tableAt = 0;      // where the colour table starts
    std::uint32_t colours = 0;      // colour entries read: none above 8 bits, never more than the depth has
    std::uint32_t entrySize = 4;    // 3 for the RGBTRIPLE entries of a core header
    std::uint32_t stride = 0;       // bytes per row of uncompressed rows; 0 for run-length rows
    std::uint64_t pixelBytes = 0;   // bytes read from the pixel block
    bool topDown = false;           // the first row in the pixel block is the top row
};

// `layout`, when given, receives what GDI reads (only meaningful for Ok).
SpiPictureVerdict CheckSpiPicture(const SpiPictureBlocks& blocks, SpiPictureLayout* layout = nullptr);

// The bitmap info of a checked DIB in the one form handed on: a 40-byte BITMAPINFOHEADER whose height keeps
// its sign (the rows stay where the plug-in put them), the three masks after it when it has bit fields, then
// exactly the colour entries GDI reads, as RGBQUADs, with biClrUsed saying how many. biSizeImage is the pixel
// bytes.
std::vector<unsigned char> CanonicalSpiInfo(const SpiPictureBlocks& blocks, const SpiPictureLayout& layout);

// A checked DIB as a BMP file, without copying its rows: the file header and the plain bitmap info, then the
// pixel block as the plug-in left it (layout.pixelBytes of it), so that the program's BMP reader decodes only
// the part of it that is shown.
class SpiDibFile final : public ByteSource {
public:
    SpiDibFile(const SpiPictureBlocks& blocks, const SpiPictureLayout& layout, const unsigned char* pixels);

    std::uint64_t Size() override { return head_.size() + pixelBytes_; }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    std::vector<unsigned char> head_;
    const unsigned char* pixels_;
    std::uint64_t pixelBytes_;
};

// Largest bitmap info CanonicalSpiInfo makes: the header, the masks and 256 entries.
constexpr std::size_t kMaxCanonicalSpiInfo = 40 + 12 + 256 * 4;

}  // namespace velmira
