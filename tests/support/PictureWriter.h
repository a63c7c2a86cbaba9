#pragma once
// Writes BMP and JPEG files in memory for tests: every BMP header generation, depth and compression,
// and JPEG files with chosen sampling, progression, restart intervals and colour spaces; and decodes JPEG
// files with plain libjpeg for reference.
// Pictures are given as pixels 0x00RRGGBB (or palette indices), top row first.
#include <cstdint>
#include <string>
#include <vector>

namespace velmira::test {

// A picture as tests describe it: width x height values, top row first. For BMP depths up to 8 bits
// the values are palette indices, otherwise colours 0x00RRGGBB.
struct TestPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> values;

    std::uint32_t At(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
};

// A width x height picture whose every pixel differs from its neighbours: colour from position.
TestPicture GradientPicture(int width, int height);
// The same layout as palette indices below `colors`.
TestPicture IndexPicture(int width, int height, int colors);

enum class BmpHeader { Core12, Os2v2_16, Info40, V2_52, V3_56, Os2v2_64, V4_108, V5_124 };
enum class BmpCompression : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, Bitfields = 3, AlphaBitfields = 6 };

struct BmpFormat {
    BmpHeader header = BmpHeader::Info40;
    int bitsPerPixel = 24;
    BmpCompression compression = BmpCompression::Rgb;
    bool topDown = false;                                            // negative height
    std::uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};  // R, G, B, A for bit fields
    std::vector<std::uint32_t> palette;                              // 0x00RRGGBB, written as is
    // biClrUsed; -1 writes palette.size(), or 0 when the palette is full-sized.
    std::int64_t colorsUsed = -1;
};

// Packs a colour into bit-field masks: each 8-bit channel scaled to its mask's width with rounding.
std::uint32_t PackMasked(std::uint32_t rgb, const std::uint32_t masks[4]);

// The complete file with pixel data encoded from `picture` (RLE formats through the encoders below).
std::string EncodeBmp(const BmpFormat& format, const TestPicture& picture);
// The complete file around pixel data given as raw bytes (hand-made RLE streams, damaged rows).
std::string AssembleBmp(const BmpFormat& format, int width, int height, const std::string& pixelData);

// RLE streams of bottom-up rows: runs of equal indices as encoded runs, the rest in absolute mode,
// an end-of-line after each row and an end-of-bitmap at the end.
std::string EncodeRle8(const TestPicture& indices);
std::string EncodeRle4(const TestPicture& indices);

enum class JpegColor { YCbCr, Grayscale, Rgb, Cmyk, Ycck };

struct JpegFormat {
    JpegColor color = JpegColor::YCbCr;
    int hSampling = 2;  // luma (first component) sampling; the others are 1 x 1
    int vSampling = 2;
    bool progressive = false;
    int restartRows = 0;  // restart interval in MCU rows, 0 for none
    int quality = 90;
    int restartMcus = 0;  // restart interval in MCUs, used instead of restartRows when not 0
    bool optimizeCoding = false;  // Huffman tables made for the picture instead of the standard ones
    int blackSample = 255;        // CMYK and YCCK: the K sample of every pixel (inverted: 255 is no black)
};

// Encodes with libjpeg. CMYK and YCCK get libjpeg's Adobe marker and are stored inverted, as
// Adobe's programs do; the picture's colours become inks with no black (K = 0).
std::string EncodeJpeg(const JpegFormat& format, const TestPicture& picture);

// The whole picture as plain libjpeg gives it with the program's settings (RGB, accurate integer DCT, smooth
// upsampling), read from memory: the reference the program's own decoding is held against. Empty (0 x 0)
// after a libjpeg error.
TestPicture DecodeJpegWithLibjpeg(const std::string& file);

}  // namespace velmira::test
