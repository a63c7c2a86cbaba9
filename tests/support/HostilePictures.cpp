#include "support/HostilePictures.h"

#include <cstdint>

#include "support/PictureWriter.h"

namespace velmira::test {
namespace {

void Put32At(std::string& file, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
void Put16At(std::string& file, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 2; ++i) file[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
void Put16BigEndianAt(std::string& file, std::size_t offset, std::uint32_t value) {
    file[offset] = static_cast<char>((value >> 8) & 0xFF);
    file[offset + 1] = static_cast<char>(value & 0xFF);
}

// Offsets in a file with a BITMAPINFOHEADER.
constexpr std::size_t kOffBits = 10, kWidth = 18, kHeight = 22, kPlanes = 26, kBitCount = 28, kCompression = 30,
                      kClrUsed = 46;

std::vector<std::uint32_t> Palette(int colours) {
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < colours; ++i) palette.push_back(static_cast<std::uint32_t>(i * 0x0A0B0C) & 0xFFFFFF);
    return palette;
}

std::string Bmp24() { return EncodeBmp(BmpFormat{}, GradientPicture(7, 5)); }

std::string Bmp8() {
    BmpFormat format;
    format.bitsPerPixel = 8;
    format.palette = Palette(256);
    return EncodeBmp(format, IndexPicture(9, 4, 256));
}

BmpFormat RleFormat(bool four) {
    BmpFormat format;
    format.bitsPerPixel = four ? 4 : 8;
    format.compression = four ? BmpCompression::Rle4 : BmpCompression::Rle8;
    format.palette = Palette(16);
    return format;
}

void Add(std::vector<HostilePicture>& out, std::string name, HostileKind kind, std::string bytes) {
    out.push_back({std::move(name), kind, std::move(bytes)});
}

void AddBmpField(std::vector<HostilePicture>& out, const std::string& name, std::string file, std::size_t offset,
                 std::uint32_t value, int bytes = 4) {
    if (bytes == 4) Put32At(file, offset, value);
    else Put16At(file, offset, value);
    Add(out, name, HostileKind::Bmp, std::move(file));
}

void AddHostileBmps(std::vector<HostilePicture>& out, bool thorough) {
    const std::string bmp24 = Bmp24();
    const std::string bmp8 = Bmp8();
    Add(out, "bmp-empty", HostileKind::Bmp, "");
    Add(out, "bmp-signature-only", HostileKind::Bmp, "BM");
    Add(out, "bmp-not-a-bitmap", HostileKind::Bmp, std::string(200, 'x'));

    // Sizes.
    AddBmpField(out, "bmp-width-max", bmp24, kWidth, 0x7FFFFFFF);
    AddBmpField(out, "bmp-width-negative", bmp24, kWidth, static_cast<std::uint32_t>(-7));
    AddBmpField(out, "bmp-width-zero", bmp24, kWidth, 0);
    AddBmpField(out, "bmp-height-min", bmp24, kHeight, 0x80000000u);
    AddBmpField(out, "bmp-height-zero", bmp24, kHeight, 0);
    AddBmpField(out, "bmp-width-65537", bmp24, kWidth, 65537);
    std::string both = bmp24;
    Put32At(both, kWidth, 60000);
    Put32At(both, kHeight, 60000);
    Add(out, "bmp-3600-megapixels", HostileKind::Bmp, both);
    // Bit counts and planes.
    for (const std::uint32_t bits : {0u, 3u, 7u, 64u, 0xFFFFu})
        AddBmpField(out, "bmp-bitcount-" + std::to_string(bits), bmp24, kBitCount, bits, 2);
    AddBmpField(out, "bmp-planes-0", bmp24, kPlanes, 0, 2);
    AddBmpField(out, "bmp-compression-99", bmp24, kCompression, 99);
    AddBmpField(out, "bmp-rle8-on-24-bits", bmp24, kCompression, 1);
    // Offsets and colour tables.
    AddBmpField(out, "bmp-offset-past-end", bmp24, kOffBits, 0xFFFFFFF0u);
    AddBmpField(out, "bmp-offset-zero", bmp24, kOffBits, 0);
    AddBmpField(out, "bmp-offset-inside-header", bmp24, kOffBits, 20);
    AddBmpField(out, "bmp-colour-table-2g", bmp8, kClrUsed, 0x7FFFFFFF);
    AddBmpField(out, "bmp-colour-table-1000", bmp8, kClrUsed, 1000);
    AddBmpField(out, "bmp-colour-table-max", bmp8, kClrUsed, 0xFFFFFFFFu);
    AddBmpField(out, "bmp-header-size-huge", bmp24, 14, 0x7FFFFFFF);
    AddBmpField(out, "bmp-header-size-3", bmp24, 14, 3);
    std::string cutTable = bmp8;
    cutTable.resize(14 + 40 + 100);  // the table ends a long way before its 256 entries
    Add(out, "bmp-colour-table-cut", HostileKind::Bmp, cutTable);

    // RLE streams that run past the row, the picture and the file.
    const BmpFormat rle8 = RleFormat(false);
    const BmpFormat rle4 = RleFormat(true);
    std::string runs;
    for (int i = 0; i < 64; ++i) runs += std::string("\xFF\x03", 2);  // 255-pixel runs on a 6-pixel row
    Add(out, "bmp-rle8-runs-past-row", HostileKind::Bmp, AssembleBmp(rle8, 6, 3, runs + std::string("\0\1", 2)));
    Add(out, "bmp-rle4-runs-past-row", HostileKind::Bmp, AssembleBmp(rle4, 6, 3, runs + std::string("\0\1", 2)));
    Add(out, "bmp-rle8-delta-past-bottom", HostileKind::Bmp,
        AssembleBmp(rle8, 6, 3, std::string("\0\2\xFF\xFF\x05\x01\0\2\xFF\xFF\x05\x01\0\1", 14)));
    Add(out, "bmp-rle8-absolute-past-file", HostileKind::Bmp, AssembleBmp(rle8, 6, 3, std::string("\0\xFF\1\2", 4)));
    Add(out, "bmp-rle8-no-end", HostileKind::Bmp, AssembleBmp(rle8, 6, 3, std::string("\x02\x01", 2)));
    std::string eols(4000, '\0');  // thousands of end-of-line codes on a three-row picture
    Add(out, "bmp-rle8-endless-lines", HostileKind::Bmp, AssembleBmp(rle8, 6, 3, eols));
    // A tiny file that declares a 65536 x 4096 RLE picture: only the visible part may be filled.
    Add(out, "bmp-rle8-huge-declared", HostileKind::Bmp,
        AssembleBmp(rle8, 65536, 4096, std::string("\xFF\x01\0\0\xFF\x02\0\1", 8)));
    Add(out, "bmp-rle4-huge-declared", HostileKind::Bmp,
        AssembleBmp(rle4, 65536, 4096, std::string("\xFF\x12\0\0\xFF\x34\0\1", 8)));
    BmpFormat wide;
    Add(out, "bmp-24-huge-declared-no-data", HostileKind::Bmp, AssembleBmp(wide, 16384, 16384, std::string(64, '\x11')));

    // Truncations of sound files.
    const std::string rleFile = EncodeBmp(rle8, IndexPicture(20, 6, 16));
    const std::string sources[] = {bmp24, bmp8, rleFile};
    int source = 0;
    for (const std::string& file : sources) {
        for (std::size_t length = 0; length < file.size(); ++length) {
            const bool keep = thorough || length < 20 || length == 54 || length == file.size() / 2 ||
                              length == file.size() - 1;
            if (keep)
                Add(out, "bmp" + std::to_string(source) + "-cut-at-" + std::to_string(length), HostileKind::Bmp,
                    file.substr(0, length));
        }
        ++source;
    }
}

// Offsets of every marker (0xFF followed by a byte that is neither 0x00 nor 0xFF).
std::vector<std::size_t> MarkerOffsets(const std::string& file) {
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i + 1 < file.size(); ++i) {
        const auto next = static_cast<unsigned char>(file[i + 1]);
        if (static_cast<unsigned char>(file[i]) == 0xFF && next != 0x00 && next != 0xFF) offsets.push_back(i);
    }
    return offsets;
}

std::size_t FindMarker(const std::string& file, unsigned char code) {
    for (const std::size_t at : MarkerOffsets(file))
        if (static_cast<unsigned char>(file[at + 1]) == code) return at;
    return std::string::npos;
}

// The frame header's height and width (big-endian at 5 and 7 after the marker).
std::string WithFrameSize(std::string file, std::uint32_t width, std::uint32_t height) {
    std::size_t sof = FindMarker(file, 0xC0);
    if (sof == std::string::npos) sof = FindMarker(file, 0xC2);
    Put16BigEndianAt(file, sof + 5, height);
    Put16BigEndianAt(file, sof + 7, width);
    return file;
}

void AddHostileJpegs(std::vector<HostilePicture>& out, bool thorough) {
    const TestPicture picture = GradientPicture(48, 40);
    JpegFormat baselineFormat;
    const std::string baseline = EncodeJpeg(baselineFormat, picture);
    JpegFormat progressiveFormat;
    progressiveFormat.progressive = true;
    const std::string progressive = EncodeJpeg(progressiveFormat, picture);
    JpegFormat greyFormat;
    greyFormat.color = JpegColor::Grayscale;
    JpegFormat cmykFormat;
    cmykFormat.color = JpegColor::Cmyk;
    JpegFormat ycckFormat;
    ycckFormat.color = JpegColor::Ycck;
    JpegFormat restartFormat;
    restartFormat.restartRows = 1;

    Add(out, "jpeg-empty", HostileKind::Jpeg, "");
    Add(out, "jpeg-soi-only", HostileKind::Jpeg, std::string("\xFF\xD8", 2));
    Add(out, "jpeg-not-a-jpeg", HostileKind::Jpeg, std::string(300, '\x42'));
    Add(out, "jpeg-greyscale", HostileKind::Jpeg, EncodeJpeg(greyFormat, picture));
    Add(out, "jpeg-cmyk", HostileKind::Jpeg, EncodeJpeg(cmykFormat, picture));
    Add(out, "jpeg-ycck", HostileKind::Jpeg, EncodeJpeg(ycckFormat, picture));

    // Huge declared sizes over little data: the largest frame libjpeg takes, a frame over the pixel limit,
    // and a progressive one whose coefficient buffer would need gigabytes.
    Add(out, "jpeg-baseline-65500-square", HostileKind::Jpeg, WithFrameSize(baseline, 65500, 65500));
    Add(out, "jpeg-baseline-16000-square", HostileKind::Jpeg, WithFrameSize(baseline, 16000, 16000));
    Add(out, "jpeg-baseline-16384-square", HostileKind::Jpeg, WithFrameSize(baseline, 16384, 16384));  // 2^28, the most
    Add(out, "jpeg-baseline-65500-wide", HostileKind::Jpeg, WithFrameSize(baseline, 65500, 16));
    Add(out, "jpeg-progressive-16000-square", HostileKind::Jpeg, WithFrameSize(progressive, 16000, 16000));
    Add(out, "jpeg-progressive-65500-wide", HostileKind::Jpeg, WithFrameSize(progressive, 65500, 300));
    Add(out, "jpeg-zero-width", HostileKind::Jpeg, WithFrameSize(baseline, 0, 40));

    // Corrupt Huffman tables: code counts that overflow the code space, and symbols past the table.
    std::string huffman = baseline;
    const std::size_t dht = FindMarker(huffman, 0xC4);
    for (int i = 0; i < 16; ++i) huffman[dht + 5 + i] = '\xFF';
    Add(out, "jpeg-huffman-counts-overflow", HostileKind::Jpeg, huffman);
    std::string huffmanSymbols = baseline;
    for (int i = 0; i < 16; ++i) huffmanSymbols[dht + 5 + i] = '\0';
    Add(out, "jpeg-huffman-no-codes", HostileKind::Jpeg, huffmanSymbols);
    std::string huffmanClass = baseline;
    huffmanClass[dht + 4] = '\x37';  // table class 3, number 7
    Add(out, "jpeg-huffman-bad-class", HostileKind::Jpeg, huffmanClass);
    // Entropy-coded data scrambled after the start of scan.
    std::string scrambled = baseline;
    const std::size_t sos = FindMarker(scrambled, 0xDA);
    for (std::size_t i = sos + 20; i + 2 < scrambled.size(); i += 7) scrambled[i] = static_cast<char>(i * 31);
    Add(out, "jpeg-scrambled-scan", HostileKind::Jpeg, scrambled);
    std::string badQuant = baseline;
    const std::size_t dqt = FindMarker(badQuant, 0xDB);
    badQuant[dqt + 4] = '\x1F';  // precision 1, table 15
    Add(out, "jpeg-quant-table-15", HostileKind::Jpeg, badQuant);

    // Truncated at every marker, and one byte after it.
    const std::string sources[] = {baseline, progressive, EncodeJpeg(restartFormat, picture),
                                   EncodeJpeg(cmykFormat, picture)};
    int source = 0;
    for (const std::string& file : sources) {
        const std::vector<std::size_t> markers = MarkerOffsets(file);
        for (std::size_t m = 0; m < markers.size(); ++m) {
            if (!thorough && m % 4 != 0) continue;
            for (const std::size_t cut : {markers[m], markers[m] + 1}) {
                Add(out, "jpeg" + std::to_string(source) + "-cut-at-" + std::to_string(cut), HostileKind::Jpeg,
                    file.substr(0, cut));
            }
        }
        ++source;
    }
}

}  // namespace

std::vector<HostilePicture> HostilePictures(bool thorough) {
    std::vector<HostilePicture> out;
    AddHostileBmps(out, thorough);
    AddHostileJpegs(out, thorough);
    return out;
}

}  // namespace velmira::test
