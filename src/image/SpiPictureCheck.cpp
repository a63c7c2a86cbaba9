#include "image/SpiPictureCheck.h"

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

// Offsets and values of BITMAPINFOHEADER.
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kWidthAt = 4, kHeightAt = 8, kPlanesAt = 12, kBitCountAt = 14, kCompressionAt = 16,
                      kClrUsedAt = 32;
constexpr std::uint32_t kRgb = 0, kBitFields = 3;
constexpr std::uint64_t kBitFieldMasksSize = 12;

bool IsKnownHeaderSize(std::uint32_t size) {
    // BITMAPINFOHEADER, the two undocumented V2/V3 sizes, BITMAPV4HEADER, BITMAPV5HEADER.
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool IsKnownBitCount(std::uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool IsSaneSide(std::int32_t side) { return side >= 1 && side <= kMaxSpiPictureSide; }

}  // namespace

std::uint32_t PictureInfoTextHandle(const unsigned char (&record)[kPictureInfoSize]) {
    const bool packed = record[26] == kPictureInfoSentinel && record[27] == kPictureInfoSentinel;
    const std::uint32_t handle = ReadU32(record + (packed ? 22 : 24));
    return (handle >> 16) == 0xFFFF ? 0 : handle;
}

SpiPictureVerdict CheckSpiPicture(const SpiPictureBlocks& b) {
    if (!IsSaneSide(b.width) || !IsSaneSide(b.height)) return SpiPictureVerdict::BadRecordSize;
    if (!b.info || b.infoSize < kInfoHeaderSize) return SpiPictureVerdict::InfoTooSmall;

    const std::uint32_t headerSize = ReadU32(b.info);
    if (!IsKnownHeaderSize(headerSize)) return SpiPictureVerdict::BadHeaderSize;
    if (headerSize > b.infoSize) return SpiPictureVerdict::InfoTooSmall;
    if (ReadI32(b.info + kWidthAt) != b.width || ReadI32(b.info + kHeightAt) != b.height)
        return SpiPictureVerdict::SizeMismatch;
    if (ReadU16(b.info + kPlanesAt) != 1) return SpiPictureVerdict::BadPlanes;

    const std::uint16_t bits = ReadU16(b.info + kBitCountAt);
    if (!IsKnownBitCount(bits)) return SpiPictureVerdict::BadBitCount;
    const std::uint32_t compression = ReadU32(b.info + kCompressionAt);
    const bool bitFields = compression == kBitFields;
    if (compression != kRgb && !(bitFields && (bits == 16 || bits == 32))) return SpiPictureVerdict::BadCompression;

    const std::uint64_t clrUsed = ReadU32(b.info + kClrUsedAt);
    const std::uint64_t depthColours = bits <= 8 ? (std::uint64_t{1} << bits) : 0;
    if (bits <= 8 && clrUsed > depthColours) return SpiPictureVerdict::BadColorTable;
    const std::uint64_t colours = clrUsed != 0 ? clrUsed : depthColours;
    // A plain BITMAPINFOHEADER keeps its three masks before the colour table; the larger headers hold them.
    const std::uint64_t masks = bitFields && headerSize == kInfoHeaderSize ? kBitFieldMasksSize : 0;
    if (headerSize + masks + colours * 4 > b.infoSize) return SpiPictureVerdict::BadColorTable;

    const std::uint64_t stride = (static_cast<std::uint64_t>(b.width) * bits + 31) / 32 * 4;
    if (stride * static_cast<std::uint64_t>(b.height) > b.pixelSize) return SpiPictureVerdict::PixelsTooSmall;
    return SpiPictureVerdict::Ok;
}

}  // namespace velmira
