// Writes the seed corpora of the fuzz targets into <folder>/<target>/: pictures from the test writer (every BMP
// header, depth and compression; JPEGs of every colour space, sampling and progression), sound and broken
// plug-in blocks, and texts of the kinds the settings file, the palette and typed paths hold.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "palette/PaletteFile.h"
#include "support/PictureWriter.h"

namespace fs = std::filesystem;
using namespace velmira::test;

namespace {

class SeedWriter {
public:
    SeedWriter(fs::path root, const char* target) : folder_(std::move(root) / target) {
        fs::create_directories(folder_);
    }
    void Add(const std::string& bytes) {
        std::ofstream out(folder_ / ("seed" + std::to_string(count_++)), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    fs::path folder_;
    int count_ = 0;
};

std::vector<std::uint32_t> GreyPalette(int colours) {
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < colours; ++i) palette.push_back(static_cast<std::uint32_t>(i * 255 / (colours > 1 ? colours - 1 : 1)) * 0x010101u);
    return palette;
}

void BmpSeeds(SeedWriter& out) {
    const BmpHeader headers[] = {BmpHeader::Core12, BmpHeader::Os2v2_16, BmpHeader::Info40, BmpHeader::V3_56,
                                 BmpHeader::V4_108, BmpHeader::V5_124};
    for (const BmpHeader header : headers) {
        for (const int bits : {1, 4, 8, 16, 24, 32}) {
            if (header == BmpHeader::Core12 && (bits == 16 || bits == 32)) continue;
            BmpFormat format;
            format.header = header;
            format.bitsPerPixel = bits;
            if (bits == 16) format.masks[0] = 0x7C00, format.masks[1] = 0x03E0, format.masks[2] = 0x001F;
            if (bits <= 8) {
                format.palette = GreyPalette(1 << bits);
                out.Add(EncodeBmp(format, IndexPicture(13, 7, 1 << bits)));
            } else {
                out.Add(EncodeBmp(format, GradientPicture(13, 7)));
            }
        }
    }
    BmpFormat topDown;
    topDown.topDown = true;
    out.Add(EncodeBmp(topDown, GradientPicture(9, 5)));
    BmpFormat fields;
    fields.bitsPerPixel = 32;
    fields.compression = BmpCompression::Bitfields;
    out.Add(EncodeBmp(fields, GradientPicture(6, 6)));
    for (const auto compression : {BmpCompression::Rle8, BmpCompression::Rle4}) {
        BmpFormat rle;
        rle.bitsPerPixel = compression == BmpCompression::Rle8 ? 8 : 4;
        rle.compression = compression;
        rle.palette = GreyPalette(16);
        out.Add(EncodeBmp(rle, IndexPicture(20, 11, 16)));
    }
    // The shared corpus of good, questionable and bad files, where it is installed.
    const fs::path suite = fs::path(VELMIRA_TESTDATA) / "bmpsuite";
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(suite, ec)) {
        if (!entry.is_regular_file() || entry.file_size() > 65536) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        out.Add(std::string(std::istreambuf_iterator<char>(in), {}));
    }
}

void JpegSeeds(SeedWriter& out) {
    const TestPicture picture = GradientPicture(40, 24);
    for (const JpegColor colour : {JpegColor::YCbCr, JpegColor::Grayscale, JpegColor::Rgb, JpegColor::Cmyk,
                                   JpegColor::Ycck}) {
        JpegFormat format;
        format.color = colour;
        out.Add(EncodeJpeg(format, picture));
    }
    JpegFormat progressive;
    progressive.progressive = true;
    out.Add(EncodeJpeg(progressive, picture));
    JpegFormat restarts;
    restarts.restartRows = 1;
    restarts.hSampling = 1;
    restarts.vSampling = 1;
    out.Add(EncodeJpeg(restarts, picture));
    // Wide enough for the restart-marker cut of a small corner.
    const TestPicture wide = GradientPicture(400, 24);
    out.Add(EncodeJpeg(restarts, wide));
    JpegFormat shortIntervals;
    shortIntervals.restartMcus = 3;
    out.Add(EncodeJpeg(shortIntervals, wide));
}

void Put32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put16(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 2; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A plug-in's answer as the target reads it: record, pixel block size, bitmap-info block.
std::string SpiSeed(std::int32_t width, std::int32_t height, int bits, std::uint32_t headerSize,
                    std::uint32_t compression, std::uint32_t colours, bool packedRecord) {
    std::string s;
    Put32(s, 0), Put32(s, 0), Put32(s, static_cast<std::uint32_t>(width)), Put32(s, static_cast<std::uint32_t>(height));
    Put16(s, 0), Put16(s, 0), Put16(s, static_cast<std::uint32_t>(bits));
    if (packedRecord) Put32(s, 0x00123456), Put16(s, 0xFFFF);
    else Put16(s, 0), Put32(s, 0x00123456);
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * bits + 31) / 32 * 4;
    Put32(s, stride * static_cast<std::uint32_t>(height));
    Put32(s, headerSize), Put32(s, static_cast<std::uint32_t>(width)), Put32(s, static_cast<std::uint32_t>(height));
    Put16(s, 1), Put16(s, static_cast<std::uint32_t>(bits)), Put32(s, compression);
    for (int i = 0; i < 5; ++i) Put32(s, i == 3 ? colours : 0);
    s.resize(s.size() + (headerSize - 40) + (compression == 3 ? 12 : 0) + 4 * (colours ? colours : (bits <= 8 ? 1u << bits : 0)));
    return s;
}

void SpiPictureSeeds(SeedWriter& out) {
    for (const int bits : {1, 4, 8, 16, 24, 32}) out.Add(SpiSeed(5, 3, bits, 40, 0, 0, false));
    out.Add(SpiSeed(4, 2, 24, 124, 0, 0, true));
    out.Add(SpiSeed(4, 2, 32, 40, 3, 0, false));
    out.Add(SpiSeed(4, 2, 8, 108, 0, 16, false));
    out.Add(SpiSeed(-4, 2, 24, 40, 0, 0, false));
    out.Add(SpiSeed(4, 2, 8, 40, 0, 300, false));  // more colours stated than 8 bits have
    // Top-down rows: the header's height negative, the record's positive (the header starts at byte 32).
    std::string topDown = SpiSeed(4, 2, 24, 40, 0, 0, false);
    topDown[40] = '\xFE', topDown[41] = topDown[42] = topDown[43] = '\xFF';
    out.Add(topDown);
    // Run-length rows of 8 bytes, the size in biSizeImage.
    std::string runs = SpiSeed(4, 2, 8, 40, 1, 0, false);
    runs[52] = 8;
    out.Add(runs);
    // A core header: 16-bit sizes, RGBTRIPLE entries.
    std::string core;
    Put32(core, 0), Put32(core, 0), Put32(core, 4), Put32(core, 2), Put16(core, 0), Put16(core, 0), Put16(core, 8);
    Put16(core, 0), Put32(core, 0), Put32(core, 16);
    Put32(core, 12), Put16(core, 4), Put16(core, 2), Put16(core, 1), Put16(core, 8);
    core.resize(core.size() + 256 * 3);
    out.Add(core);
}

void TextSeeds(const fs::path& root) {
    SeedWriter integers(root, "integer_reading_fuzz");
    for (const char* t : {"0", "-1", "+12", "  42", "$ff", "x10", "XFFFFFFFF", "0x7fffffff", "0X80000000",
                          "2147483647", "-2147483648", "2147483648", "0x100000000", "-0x1", "1 ", ""})
        integers.Add(t);
    SeedWriter settings(root, "settings_text_fuzz");
    for (const char* t : {"1", "0", "2", "0x1", "yes", "C:\\", "C:\\foo\\", "C:\\\x95\\", "\\\\server\\share\\", "ff", "zz"})
        settings.Add(t);
    SeedWriter paths(root, "path_text_fuzz");
    for (const char* t : {"C:\\pictures\\a.JPG", "a.Jpeg", "X.BMP", "noext", "dir.d\\file", "C:x.bmp",
                          "C:\\\x95\\\\\x8e\xa6.bmp", "\x95\\.jpg", ".bmp", "C:\\a\\b\\c.png"})
        paths.Add(t);
    std::string longPath = "C:\\";
    while (longPath.size() < 300) longPath += "\x95\\\x8e\xa6\\";
    paths.Add(longPath + "x.jpeg");
    SeedWriter palette(root, "palette_text_fuzz");
    for (const char* t : {"ffffff", "12ab", "AB12CD", "zzzzzz", "1FF", "f"}) palette.Add(std::string(t) + '\0' + "FF" + '\0' + "1" + '\0' + "0x");
    SeedWriter colours(root, "color_text_fuzz");
    for (const char* t : {"255", "-1", "300", "abc", "  7"}) colours.Add(std::string(t) + '\0' + "ff" + '\0' + "12C");
    SeedWriter info(root, "spi_info_fuzz");
    info.Add(std::string("*.png") + '\0' + "PNG" + '\0' + "*.gif" + '\0' + "GIF\x95");
    info.Add(std::string(300, 'a') + '\0' + std::string(259, 'b') + "\x81");
    info.Add(std::string("*.\x95|") + '\0' + "\x8e\xa6|\x95");
    SeedWriter css(root, "css_colour_fuzz");
    for (const char* t : {"#FF8000", "#f80c", "rgb(255 128 0 / 50%)", "rgba(100%, 50%, 0%, 0.5)", "RGB(18, 171, 12)",
                          "$000CAB12", "hsl(0.5turn 100% 50%)", "hsla(120, 100%, 25%, .5)", "hwb(90 10% 10%)",
                          "lab(29.2345% 39.3825 20.0664)", "lch(52.2% 72.2 50)", "oklab(0.5 0.1 -0.2)",
                          "oklch(70% 0.4 30 / none)", "color(display-p3 0 1 0)", "color(srgb-linear 1 0.2 0)",
                          "  RebeccaPurple\r\n", "transparent", "rgb(1e2 -2e1 3.5e-1)"})
        css.Add(t);
    SeedWriter palettes(root, "palette_file_fuzz");
    const std::vector<std::uint32_t> slots = {0x0080FF, 0x000000, 0xFFFFFF, 0x12AB0C};
    // The first byte picks the name: gpl, ase, aco, css, txt, another.
    const std::pair<char, velmira::PaletteFormat> formats[] = {
        {'\0', velmira::PaletteFormat::Gpl}, {'\1', velmira::PaletteFormat::Ase}, {'\2', velmira::PaletteFormat::Aco},
        {'\3', velmira::PaletteFormat::Css}, {'\4', velmira::PaletteFormat::Txt}};
    for (const auto& [index, format] : formats) palettes.Add(index + velmira::WritePalette(format, slots));
    palettes.Add(std::string(1, '\5') + "color: red;\nbackground: #12ab0c80\n");
    SeedWriter tiles(root, "tiling_fuzz");
    std::string t;
    for (const std::uint32_t v : {10u, 10u, 163u, 188u}) Put32(t, v);
    tiles.Add(t);
}

}  // namespace

// The small pictures of every kind the plug-in's decoders read.
void LibraryPictureSeeds(SeedWriter& out) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(VELMIRA_TESTDATA) / "pictures", ec)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        out.Add(std::string(std::istreambuf_iterator<char>(in), {}));
    }
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    SeedWriter bmp(root, "bmp_decoder_fuzz");
    BmpSeeds(bmp);
    SeedWriter jpeg(root, "jpeg_decoder_fuzz");
    JpegSeeds(jpeg);
    SeedWriter spi(root, "spi_picture_fuzz");
    SpiPictureSeeds(spi);
    SeedWriter library(root, "library_picture_fuzz");
    LibraryPictureSeeds(library);
    TextSeeds(root);
    return 0;
}
