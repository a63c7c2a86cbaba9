#include "spihost/SpiPictureCheck.h"

#include <algorithm>
#include <cstring>

namespace velmira {

namespace {

std::uint32_t ReadU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t ReadI32(const unsigned char* p) { return static_cast<std::int32_t>(ReadU32(p)); }

std::uint16_t ReadU16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

void PutU32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void PutU16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

// Sizes of BITMAPCOREHEADER and BITMAPINFOHEADER, and the offsets of the latter's fields.
constexpr std::uint32_t kCoreHeaderSize = 12, kInfoHeaderSize = 40;
constexpr std::size_t kWidthAt = 4, kHeightAt = 8, kPlanesAt = 12, kBitCountAt = 14, kCompressionAt = 16,
                      kSizeImageAt = 20, kClrUsedAt = 32;
// The core header's 16-bit fields.
constexpr std::size_t kCoreWidthAt = 4, kCoreHeightAt = 6, kCorePlanesAt = 8, kCoreBitCountAt = 10;
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
constexpr std::uint32_t kMasksSize = 12;

bool IsKnownHeaderSize(std::uint32_t size) {
    // The core header, BITMAPINFOHEADER, the two V2/V3 sizes, BITMAPV4HEADER, BITMAPV5HEADER.
    return size == kCoreHeaderSize || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool IsKnownBitCount(std::uint16_t bits, bool core) {
    if (core) return bits == 1 || bits == 4 || bits == 8 || bits == 24;
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool IsSaneSide(std::int32_t side) { return side >= 1 && side <= kMaxSpiPictureSide; }

// Whether GDI draws this compression at this depth. Run-length rows are bottom-up only.
bool IsDrawnCompression(std::uint32_t compression, std::uint16_t bits, bool topDown) {
    switch (compression) {
    case kRgb: return true;
    case kBitFields: return bits == 16 || bits == 32;
    case kRle8: return bits == 8 && !topDown;
    case kRle4: return bits == 4 && !topDown;
    default: return false;
    }
}

}  // namespace

std::uint32_t PictureInfoTextHandle(const unsigned char (&record)[kPictureInfoSize]) {
    const bool packed = record[26] == kPictureInfoSentinel && record[27] == kPictureInfoSentinel;
    const std::uint32_t handle = ReadU32(record + (packed ? 22 : 24));
    return (handle >> 16) == 0xFFFF ? 0 : handle;
}

SpiPictureVerdict CheckSpiPicture(const SpiPictureBlocks& b, SpiPictureLayout* out) {
    if (!IsSaneSide(b.width) || !IsSaneSide(b.height)) return SpiPictureVerdict::BadRecordSize;
    if (!b.info || b.infoSize < 4) return SpiPictureVerdict::InfoTooSmall;

    SpiPictureLayout l;
    l.headerSize = ReadU32(b.info);
    if (!IsKnownHeaderSize(l.headerSize)) return SpiPictureVerdict::BadHeaderSize;
    if (l.headerSize > b.infoSize) return SpiPictureVerdict::InfoTooSmall;
    const bool core = l.headerSize == kCoreHeaderSize;

    // A negative height marks a top-down DIB; the widening keeps the most negative value from overflowing.
    const std::int64_t width = core ? ReadU16(b.info + kCoreWidthAt) : ReadI32(b.info + kWidthAt);
    const std::int64_t height = core ? ReadU16(b.info + kCoreHeightAt) : ReadI32(b.info + kHeightAt);
    l.topDown = height < 0;
    if (width != b.width || (l.topDown ? -height : height) != b.height) return SpiPictureVerdict::SizeMismatch;
    if (ReadU16(b.info + (core ? kCorePlanesAt : kPlanesAt)) != 1) return SpiPictureVerdict::BadPlanes;

    l.bits = ReadU16(b.info + (core ? kCoreBitCountAt : kBitCountAt));
    if (!IsKnownBitCount(l.bits, core)) return SpiPictureVerdict::BadBitCount;
    l.compression = core ? kRgb : ReadU32(b.info + kCompressionAt);
    if (!IsDrawnCompression(l.compression, l.bits, l.topDown)) return SpiPictureVerdict::BadCompression;

    // The masks follow a plain BITMAPINFOHEADER; the larger headers hold them at the same place, inside.
    l.tableAt = l.headerSize;
    if (l.compression == kBitFields) {
        l.masksAt = kInfoHeaderSize;
        if (l.headerSize == kInfoHeaderSize) l.tableAt += kMasksSize;
        if (l.masksAt + kMasksSize > b.infoSize) return SpiPictureVerdict::BadColorTable;
    }
    // GDI reads no table above 8 bits, and never more entries than the depth can index: a longer table, or
    // a biClrUsed larger than the depth needs, is read only that far.
    if (l.bits <= 8) {
        const std::uint32_t depthColours = 1u << l.bits;
        const std::uint32_t used = core ? 0 : ReadU32(b.info + kClrUsedAt);
        l.colours = used == 0 ? depthColours : std::min(used, depthColours);
    }
    l.entrySize = core ? 3 : 4;
    if (l.tableAt + std::uint64_t{l.colours} * l.entrySize > b.infoSize) return SpiPictureVerdict::BadColorTable;

    if (l.compression == kRle8 || l.compression == kRle4) {
        // Runs have no fixed length: GDI reads biSizeImage bytes, so that many must be there.
        l.pixelBytes = ReadU32(b.info + kSizeImageAt);
        if (l.pixelBytes == 0) return SpiPictureVerdict::PixelsTooSmall;
    } else {
        l.stride = static_cast<std::uint32_t>((static_cast<std::uint64_t>(b.width) * l.bits + 31) / 32 * 4);
        l.pixelBytes = std::uint64_t{l.stride} * static_cast<std::uint64_t>(b.height);
    }
    if (l.pixelBytes > b.pixelSize) return SpiPictureVerdict::PixelsTooSmall;
    if (out) *out = l;
    return SpiPictureVerdict::Ok;
}

std::vector<unsigned char> CanonicalSpiInfo(const SpiPictureBlocks& b, const SpiPictureLayout& l) {
    const std::uint32_t masks = l.masksAt != 0 ? kMasksSize : 0;
    std::vector<unsigned char> info(kInfoHeaderSize + masks + std::size_t{l.colours} * 4);
    unsigned char* h = info.data();
    PutU32(h, kInfoHeaderSize);
    PutU32(h + kWidthAt, static_cast<std::uint32_t>(b.width));
    PutU32(h + kHeightAt, static_cast<std::uint32_t>(l.topDown ? -b.height : b.height));
    PutU16(h + kPlanesAt, 1);
    PutU16(h + kBitCountAt, l.bits);
    PutU32(h + kCompressionAt, l.compression);
    PutU32(h + kSizeImageAt, static_cast<std::uint32_t>(l.pixelBytes));
    PutU32(h + kClrUsedAt, l.colours);
    if (masks) std::memcpy(h + kInfoHeaderSize, b.info + l.masksAt, kMasksSize);
    unsigned char* entry = h + kInfoHeaderSize + masks;
    for (std::uint32_t i = 0; i < l.colours; ++i, entry += 4) {
        const unsigned char* from = b.info + l.tableAt + std::size_t{i} * l.entrySize;
        entry[0] = from[0];  // blue, green, red; the fourth byte is reserved and stays 0
        entry[1] = from[1];
        entry[2] = from[2];
    }
    return info;
}

SpiDibFile::SpiDibFile(const SpiPictureBlocks& blocks, const SpiPictureLayout& layout, const unsigned char* pixels)
    : pixels_(pixels), pixelBytes_(layout.pixelBytes) {
    constexpr std::size_t kFileHeaderSize = 14;
    const std::vector<unsigned char> info = CanonicalSpiInfo(blocks, layout);
    head_.resize(kFileHeaderSize);
    head_[0] = 'B';
    head_[1] = 'M';
    PutU32(&head_[2], static_cast<std::uint32_t>(kFileHeaderSize + info.size() + layout.pixelBytes));
    PutU32(&head_[10], static_cast<std::uint32_t>(kFileHeaderSize + info.size()));
    head_.insert(head_.end(), info.begin(), info.end());
}

std::size_t SpiDibFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t copied = 0;
    if (offset < head_.size()) {
        copied = std::min<std::size_t>(count, head_.size() - static_cast<std::size_t>(offset));
        std::memcpy(out, head_.data() + offset, copied);
        offset += copied;
    }
    const std::uint64_t at = offset - head_.size();
    if (copied < count && at < pixelBytes_) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count - copied, pixelBytes_ - at));
        std::memcpy(out + copied, pixels_ + at, n);
        copied += n;
    }
    return copied;
}

}  // namespace velmira
