#include "picture/BmpDecoder.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace velmira {
namespace {

// Nothing in a real picture comes near these, and they keep every size product inside 64 bits.
constexpr std::int64_t kMaxDimension = std::int64_t{1} << 16;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;

[[noreturn]] void Fail() { throw std::runtime_error(kBitmapErrorMessage); }

std::uint32_t Le16(const unsigned char* p) { return p[0] | (std::uint32_t{p[1]} << 8); }
std::uint32_t Le32(const unsigned char* p) {
    return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}
std::int64_t LeSigned32(const unsigned char* p) { return static_cast<std::int32_t>(Le32(p)); }

void ReadExact(ByteSource& source, std::uint64_t offset, void* buffer, std::size_t count) {
    if (source.ReadAt(offset, buffer, count) != count) Fail();
}

std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return (r << 16) | (g << 8) | b; }

bool IsKnownHeaderSize(std::uint32_t size) {
    switch (size) {
        case 12:   // OS/2 1.x BITMAPCOREHEADER
        case 16:   // OS/2 2.x, shortened to the fields it shares with the core header
        case 40:   // BITMAPINFOHEADER
        case 52:   // V2: RGB masks in the header
        case 56:   // V3: RGBA masks
        case 64:   // OS/2 2.x BITMAPINFOHEADER2
        case 108:  // V4
        case 124:  // V5
            return true;
        default:
            return false;
    }
}

// One colour channel of a bit-field pixel: any mask width, scaled to 0..255 with rounding.
class MaskChannel {
public:
    explicit MaskChannel(std::uint32_t mask = 0) : mask_(mask) {
        if (mask == 0) return;
        while (((mask >> shift_) & 1u) == 0) ++shift_;
        const std::uint32_t top = mask >> shift_;
        while (bits_ < 32 && (top >> bits_) != 0) ++bits_;
        max_ = (std::uint64_t{1} << bits_) - 1;
    }
    std::uint32_t Extract(std::uint32_t pixel) const {
        if (max_ == 0) return 0;
        const std::uint64_t value = (pixel & mask_) >> shift_;
        return static_cast<std::uint32_t>((value * 255 + max_ / 2) / max_);
    }

private:
    std::uint32_t mask_;
    int shift_ = 0;
    int bits_ = 0;
    std::uint64_t max_ = 0;
};

struct BmpLayout {
    std::uint64_t fileSize = 0;
    std::uint64_t pixelOffset = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = kBiRgb;
    std::array<MaskChannel, 3> channels;
    std::vector<std::uint32_t> palette;
};

bool CompressionFits(std::uint32_t compression, int bitsPerPixel, bool topDown) {
    switch (compression) {
        case kBiRgb: return true;
        case kBiRle8: return bitsPerPixel == 8 && !topDown;
        case kBiRle4: return bitsPerPixel == 4 && !topDown;
        case kBiBitfields:
        case kBiAlphaBitfields: return bitsPerPixel == 16 || bitsPerPixel == 32;
        default: return false;  // JPEG and PNG inside BMP, OS/2 Huffman and RLE24
    }
}

BmpLayout ReadLayout(ByteSource& source) {
    BmpLayout layout;
    layout.fileSize = source.Size();
    unsigned char fileHeader[kFileHeaderSize + 4];
    ReadExact(source, 0, fileHeader, sizeof fileHeader);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') Fail();
    layout.pixelOffset = Le32(fileHeader + 10);

    const std::uint32_t headerSize = Le32(fileHeader + kFileHeaderSize);
    if (!IsKnownHeaderSize(headerSize)) Fail();
    std::array<unsigned char, 124> header{};
    ReadExact(source, kFileHeaderSize, header.data(), headerSize);

    std::uint32_t planes = 0;
    std::uint64_t colorsUsed = 0;
    std::uint32_t paletteEntrySize = 4;
    if (headerSize == kCoreHeaderSize) {
        layout.width = Le16(&header[4]);
        layout.height = Le16(&header[6]);
        planes = Le16(&header[8]);
        layout.bitsPerPixel = static_cast<int>(Le16(&header[10]));
        paletteEntrySize = 3;
    } else {
        layout.width = LeSigned32(&header[4]);
        layout.height = LeSigned32(&header[8]);
        planes = Le16(&header[12]);
        layout.bitsPerPixel = static_cast<int>(Le16(&header[14]));
        layout.compression = Le32(&header[16]);  // zero in the 16-byte header
        colorsUsed = Le32(&header[32]);
        const bool os2 = headerSize == 16 || headerSize == 64;
        // OS/2 2.x gives 3 and 4 other meanings (1-D Huffman, RLE24), neither of which we read.
        if (os2 && layout.compression != kBiRgb && layout.compression != kBiRle8 && layout.compression != kBiRle4)
            Fail();
    }

    if (planes != 1) Fail();
    if (layout.width <= 0 || layout.height == 0) Fail();
    layout.topDown = layout.height < 0;
    if (layout.topDown) layout.height = -layout.height;
    if (layout.width > kMaxDimension || layout.height > kMaxDimension) Fail();
    if (layout.width * layout.height > kMaxPixels) Fail();
    switch (layout.bitsPerPixel) {
        case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
        default: Fail();
    }
    if (!CompressionFits(layout.compression, layout.bitsPerPixel, layout.topDown)) Fail();

    std::uint64_t paletteOffset = kFileHeaderSize + headerSize;
    if (layout.compression == kBiBitfields || layout.compression == kBiAlphaBitfields) {
        const unsigned char* maskBytes = &header[40];
        std::array<unsigned char, 16> trailingMasks{};
        if (headerSize < 52) {
            // The Windows 3 header keeps its masks just after it, before the palette.
            const std::size_t count = layout.compression == kBiAlphaBitfields ? 16 : 12;
            ReadExact(source, paletteOffset, trailingMasks.data(), count);
            paletteOffset += count;
            maskBytes = trailingMasks.data();
        }
        for (int i = 0; i < 3; ++i) layout.channels[i] = MaskChannel(Le32(maskBytes + 4 * i));
    } else if (layout.bitsPerPixel == 16) {
        layout.channels = {MaskChannel(0x7C00), MaskChannel(0x03E0), MaskChannel(0x001F)};
    } else {
        layout.channels = {MaskChannel(0xFF0000), MaskChannel(0x00FF00), MaskChannel(0x0000FF)};
    }

    if (layout.pixelOffset < paletteOffset || layout.pixelOffset >= layout.fileSize) Fail();
    // A colour table the file cannot hold is damage, even where its tail would never be used.
    if (paletteOffset + colorsUsed * paletteEntrySize > layout.fileSize) Fail();

    if (layout.bitsPerPixel <= 8) {
        const std::uint64_t addressable = std::uint64_t{1} << layout.bitsPerPixel;
        std::uint64_t entries = colorsUsed == 0 ? addressable : std::min(colorsUsed, addressable);
        // OS/2 1.x has no colour count: a short palette shows only in the pixel data's offset.
        entries = std::min(entries, (layout.pixelOffset - paletteOffset) / paletteEntrySize);
        std::vector<unsigned char> raw(static_cast<std::size_t>(entries * paletteEntrySize));
        ReadExact(source, paletteOffset, raw.data(), raw.size());
        layout.palette.resize(static_cast<std::size_t>(entries));
        for (std::size_t i = 0; i < layout.palette.size(); ++i) {
            const unsigned char* entry = &raw[i * paletteEntrySize];
            layout.palette[i] = Rgb(entry[2], entry[1], entry[0]);
        }
    }
    return layout;
}

std::uint32_t PaletteColor(const std::vector<std::uint32_t>& palette, std::uint32_t index) {
    return index < palette.size() ? palette[index] : 0;
}

void ConvertRow(const BmpLayout& layout, const unsigned char* row, std::uint32_t* out, int count) {
    const int bpp = layout.bitsPerPixel;
    switch (bpp) {
        case 1:
        case 2:
        case 4:
        case 8: {
            const std::uint32_t mask = (1u << bpp) - 1;
            const int perByte = 8 / bpp;
            for (int x = 0; x < count; ++x) {
                const int shift = 8 - bpp * (x % perByte + 1);  // leftmost pixel in the high bits
                out[x] = PaletteColor(layout.palette, (row[x / perByte] >> shift) & mask);
            }
            break;
        }
        case 16:
        case 32:
            for (int x = 0; x < count; ++x) {
                const std::uint32_t pixel = bpp == 16 ? Le16(row + 2 * x) : Le32(row + 4 * x);
                out[x] = Rgb(layout.channels[0].Extract(pixel), layout.channels[1].Extract(pixel),
                             layout.channels[2].Extract(pixel));
            }
            break;
        default:  // 24
            for (int x = 0; x < count; ++x) out[x] = Rgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
            break;
    }
}

std::uint64_t RowStride(const BmpLayout& layout) {
    return (static_cast<std::uint64_t>(layout.width) * layout.bitsPerPixel + 31) / 32 * 4;
}

// Uncompressed rows must all be in the file; checked before anything is allocated.
void CheckUncompressedSize(const BmpLayout& layout) {
    const std::uint64_t lastRowBytes = (static_cast<std::uint64_t>(layout.width) * layout.bitsPerPixel + 7) / 8;
    const std::uint64_t rows = static_cast<std::uint64_t>(layout.height);
    if (layout.pixelOffset + RowStride(layout) * (rows - 1) + lastRowBytes > layout.fileSize) Fail();
}

void DecodeUncompressed(ByteSource& source, const BmpLayout& layout, DecodedPicture& picture) {
    const std::uint64_t stride = RowStride(layout);
    const std::uint64_t rows = static_cast<std::uint64_t>(layout.height);

    const std::size_t visibleBytes = (static_cast<std::size_t>(picture.visibleWidth) * layout.bitsPerPixel + 7) / 8;
    std::vector<unsigned char> row(visibleBytes);
    for (int y = 0; y < picture.visibleHeight; ++y) {
        // Bottom-up files keep the top row last.
        const std::uint64_t fileRow = layout.topDown ? y : rows - 1 - y;
        ReadExact(source, layout.pixelOffset + fileRow * stride, row.data(), row.size());
        ConvertRow(layout, row.data(), &picture.pixels[static_cast<std::size_t>(y) * picture.visibleWidth],
                   picture.visibleWidth);
    }
}

// Buffered forward reading of the RLE stream, which runs from the pixel offset to the end of the file.
class StreamReader {
public:
    StreamReader(ByteSource& source, std::uint64_t offset) : source_(source), offset_(offset), buffer_(1 << 16) {}

    bool Read(unsigned char* out, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (position_ == length_ && !Refill()) return false;
            out[i] = buffer_[position_++];
        }
        return true;
    }

private:
    bool Refill() {
        length_ = source_.ReadAt(offset_, buffer_.data(), buffer_.size());
        offset_ += length_;
        position_ = 0;
        return length_ != 0;
    }

    ByteSource& source_;
    std::uint64_t offset_;
    std::vector<unsigned char> buffer_;
    std::size_t position_ = 0;
    std::size_t length_ = 0;
};

// RLE pictures are always bottom-up, so the visible top rows come last in the stream: the whole
// stream is walked, but only pixels inside the visible region are stored.
class RleCanvas {
public:
    RleCanvas(const BmpLayout& layout, DecodedPicture& picture) : layout_(layout), picture_(picture) {}

    void Put(std::uint32_t index) {
        if (x_ < picture_.visibleWidth) {
            const std::int64_t top = layout_.height - 1 - y_;
            if (top < picture_.visibleHeight)
                picture_.pixels[static_cast<std::size_t>(top * picture_.visibleWidth + x_)] =
                    PaletteColor(layout_.palette, index);
        }
        ++x_;  // past the right edge the run is clipped
    }
    void EndOfLine() { x_ = 0; ++y_; }
    void Move(int dx, int dy) { x_ += dx; y_ += dy; }
    bool Done() const { return y_ >= layout_.height; }

private:
    const BmpLayout& layout_;
    DecodedPicture& picture_;
    std::int64_t x_ = 0;  // bounded by 255 per code of a finite stream
    std::int64_t y_ = 0;  // rows counted from the bottom
};

void DecodeRle(ByteSource& source, const BmpLayout& layout, DecodedPicture& picture) {
    // Pixels that the stream skips or never reaches keep palette entry 0.
    std::fill(picture.pixels.begin(), picture.pixels.end(), PaletteColor(layout.palette, 0));
    const bool four = layout.compression == kBiRle4;
    StreamReader stream(source, layout.pixelOffset);
    RleCanvas canvas(layout, picture);
    unsigned char code[2];
    std::array<unsigned char, 256> literal{};
    while (!canvas.Done() && stream.Read(code, 2)) {
        if (code[0] != 0) {  // a run of code[0] pixels
            for (int i = 0; i < code[0]; ++i) canvas.Put(four ? (i % 2 == 0 ? code[1] >> 4 : code[1] & 15) : code[1]);
            continue;
        }
        switch (code[1]) {
            case 0: canvas.EndOfLine(); break;
            case 1: return;  // end of bitmap
            case 2: {
                unsigned char delta[2];
                if (!stream.Read(delta, 2)) return;
                canvas.Move(delta[0], delta[1]);
                break;
            }
            default: {  // code[1] literal pixels, padded to a 16-bit boundary
                const int count = code[1];
                const std::size_t bytes = four ? (count + 1) / 2 : count;
                if (!stream.Read(literal.data(), bytes)) return;
                for (int i = 0; i < count; ++i)
                    canvas.Put(four ? (i % 2 == 0 ? literal[i / 2] >> 4 : literal[i / 2] & 15) : literal[i]);
                if (bytes % 2 != 0 && !stream.Read(literal.data(), 1)) return;
                break;
            }
        }
    }
}

}  // namespace

DecodedPicture DecodeBmp(ByteSource& source, int maxWidth, int maxHeight) {
    const BmpLayout layout = ReadLayout(source);
    const bool rle = layout.compression == kBiRle8 || layout.compression == kBiRle4;
    if (!rle) CheckUncompressedSize(layout);
    DecodedPicture picture;
    picture.width = static_cast<int>(layout.width);
    picture.height = static_cast<int>(layout.height);
    picture.visibleWidth = static_cast<int>(std::min<std::int64_t>(layout.width, std::max(maxWidth, 0)));
    picture.visibleHeight = static_cast<int>(std::min<std::int64_t>(layout.height, std::max(maxHeight, 0)));
    picture.pixels.resize(static_cast<std::size_t>(picture.visibleWidth) * picture.visibleHeight);
    if (rle)
        DecodeRle(source, layout, picture);
    else
        DecodeUncompressed(source, layout, picture);
    return picture;
}

}  // namespace velmira
