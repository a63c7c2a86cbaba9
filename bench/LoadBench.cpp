// Picture load benchmark: what the preview's decode costs for photos of 0.3 to 48 megapixels, against a full
// decode of the same file by our own decoder (no visible-region limit) and by libjpeg-turbo's djpeg. The formats
// of the bundled plug-in (PNG, GIF, TIFF, WebP) are loaded natively by its decoders, under Wine as the program
// loads them: through the plug-in helper and the plug-in's export for the visible part.
//
//   velmira_load_bench generate DIR            writes the pictures (native build; the formats' own writers)
//   velmira_load_bench samples DIR             writes the small pictures of tests/data/pictures (native build)
//   velmira_load_bench run DIR [--wine TSV]    native: times, bytes read, peak memory; prints the table,
//                                              with the Wine build's times beside ours when TSV is given
//   velmira_load_bench.exe run DIR --tsv FILE  Windows build under Wine: times only, as TSV for the above
//   velmira_load_bench pixel FILE X Y          prints the pixel at (X, Y) as RRGGBB (for the start-up probe)
//   velmira_load_bench measure MODE KIND FILE N  (internal) one child process per measurement, for its peak memory
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "image/BmpDecoder.h"
#include "image/ByteSource.h"
#include "image/DecodedPicture.h"
#include "image/JpegDecoder.h"
#include "support/CountingSource.h"

#ifdef _WIN32
#include <windows.h>

#include "image/FileByteSource.h"
#include "image/SpiHostProcess.h"
#include "image/SpiLoadClass.h"
#include "image/SpiPluginCalls.h"
#else
#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>
#include <webp/encode.h>

#include "image/wic/LibraryPicture.h"
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <jpeglib.h>

#include "support/PictureWriter.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

// The picture formats measured. The plug-in's formats are written as their own writers lay them out.
enum class Kind { Jpeg, Bmp, Png, PngInterlaced, Gif, GifInterlaced, TiffStrips, TiffTiles, Webp };

struct Case {
    const char* label;
    Kind kind;
    int width;
    int height;
    bool progressive = false;
    int restartRows = 0;  // a restart marker after every this many MCU rows
    int restartMcus = 0;  // or after every this many MCUs
    bool plain = false;   // a smooth gradient without grain (a PNG of it is a few hundred KB at any size)
    bool jpeg() const { return kind == Kind::Jpeg; }
    bool plugin() const { return kind != Kind::Jpeg && kind != Kind::Bmp; }
};

constexpr Kind J = Kind::Jpeg;
const Case kCases[] = {
    {"JPEG 0.3 MP", J, 640, 480},    {"JPEG 3 MP", J, 2048, 1536},  {"JPEG 12 MP", J, 4000, 3000},
    {"JPEG 24 MP", J, 6000, 4000},   {"JPEG 48 MP", J, 8000, 6000},
    // The 48 MP photo's width at the 0.3 MP photo's height: JPEG rows can only be reached by entropy-decoding
    // every row above them across the whole width, so this one costs what the 48 MP load costs.
    {"JPEG 8000x480", J, 8000, 480},
    // Every scan of a progressive file covers the whole picture, so its top rows are final only after the
    // last scan: libjpeg keeps the coefficients of the whole picture, and the load costs nearly a full decode.
    {"JPEG 24 MP progressive", J, 6000, 4000, true},
    // Restart markers, as many cameras' and phones' hardware encoders write them: the load skips from one
    // to the next, decoding only the corner's MCUs of each row.
    {"JPEG 0.3 MP, restart every row", J, 640, 480, false, 1},
    {"JPEG 12 MP, restart every row", J, 4000, 3000, false, 1},
    {"JPEG 48 MP, restart every row", J, 8000, 6000, false, 1},
    {"JPEG 48 MP, restart every 4 MCUs", J, 8000, 6000, false, 0, 4},
    {"BMP 0.3 MP", Kind::Bmp, 640, 480},
    {"BMP 12 MP", Kind::Bmp, 4000, 3000},   {"BMP 48 MP", Kind::Bmp, 8000, 6000},
    {"PNG 0.3 MP", Kind::Png, 640, 480},
    {"PNG 48 MP", Kind::Png, 8000, 6000},
    // Interlaced: the seven passes spread every row over the file; the even rows' passes are read whole.
    {"PNG 0.3 MP, interlaced", Kind::PngInterlaced, 640, 480},
    {"PNG 48 MP, interlaced", Kind::PngInterlaced, 8000, 6000},
    {"PNG 100 MP gradient", Kind::Png, 10000, 10000, false, 0, 0, true},
    {"GIF 0.3 MP", Kind::Gif, 640, 480},
    {"GIF 48 MP", Kind::Gif, 8000, 6000},
    {"GIF 0.3 MP, interlaced", Kind::GifInterlaced, 640, 480},
    {"GIF 48 MP, interlaced", Kind::GifInterlaced, 8000, 6000},
    {"TIFF 0.3 MP, strips", Kind::TiffStrips, 640, 480},
    {"TIFF 48 MP, strips", Kind::TiffStrips, 8000, 6000},
    {"TIFF 0.3 MP, tiles", Kind::TiffTiles, 640, 480},
    {"TIFF 48 MP, tiles", Kind::TiffTiles, 8000, 6000},
    {"WebP 0.3 MP", Kind::Webp, 640, 480},
    {"WebP 48 MP", Kind::Webp, 8000, 6000},
};

const char* Extension(Kind kind) {
    switch (kind) {
    case Kind::Jpeg: return ".jpg";
    case Kind::Bmp: return ".bmp";
    case Kind::Png:
    case Kind::PngInterlaced: return ".png";
    case Kind::Gif:
    case Kind::GifInterlaced: return ".gif";
    case Kind::TiffStrips:
    case Kind::TiffTiles: return ".tif";
    case Kind::Webp: return ".webp";
    }
    return "";
}

const char* Prefix(Kind kind) {
    switch (kind) {
    case Kind::Jpeg: return "jpeg-";
    case Kind::Bmp: return "bmp-";
    case Kind::Png: return "png-";
    case Kind::PngInterlaced: return "png-adam7-";
    case Kind::Gif: return "gif-";
    case Kind::GifInterlaced: return "gif-interlaced-";
    case Kind::TiffStrips: return "tiff-strips-";
    case Kind::TiffTiles: return "tiff-tiles-";
    case Kind::Webp: return "webp-";
    }
    return "";
}

std::string FileName(const Case& c) {
    return std::string(Prefix(c.kind)) + std::to_string(c.width) + "x" + std::to_string(c.height) +
           (c.progressive ? "-progressive" : "") + (c.restartRows ? "-rst" + std::to_string(c.restartRows) + "row" : "") +
           (c.restartMcus ? "-rst" + std::to_string(c.restartMcus) + "mcu" : "") + (c.plain ? "-plain" : "") +
           Extension(c.kind);
}

std::string Join(const std::string& dir, const std::string& name) {
#ifdef _WIN32
    return dir + "\\" + name;
#else
    return dir + "/" + name;
#endif
}

#ifndef _WIN32
// The native stand-in for the program's FileByteSource: positioned reads of exactly what is asked.
class PosixFileSource final : public velmira::ByteSource {
public:
    explicit PosixFileSource(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY)) {
        if (fd_ < 0) throw std::runtime_error("cannot open " + path);
        size_ = static_cast<std::uint64_t>(::lseek(fd_, 0, SEEK_END));
    }
    ~PosixFileSource() override { ::close(fd_); }
    PosixFileSource(const PosixFileSource&) = delete;
    PosixFileSource& operator=(const PosixFileSource&) = delete;
    std::uint64_t Size() override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, count - done,
                                      static_cast<off_t>(offset + done));
            if (n < 0) throw std::runtime_error("read error");
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

private:
    int fd_;
    std::uint64_t size_ = 0;
};
using FileSource = PosixFileSource;
#else
using FileSource = velmira::FileByteSource;
#endif

// Visible: the preview's load. RowByRow: the same without the restart-marker cut. Full: no size limit.
enum class Mode { Visible, RowByRow, Full };

#ifdef _WIN32
// Under Wine the plug-in's formats load as the program loads them: through the helper and the bundled plug-in's
// export for the visible part; their full decode is the plug-in's standard export, called in this process.
velmira::SpiLoadClass* g_host = nullptr;
const velmira::SpiPluginModule* g_plugin = nullptr;

std::uint64_t LoadThroughPlugin(const std::string& path, Mode mode) {
    if (mode != Mode::Full) {
        if (!g_host->LoadPicture(path, velmira::kPreviewWidth, velmira::kPreviewHeight))
            throw std::runtime_error("the plug-in did not load " + path);
        return 0;
    }
    HANDLE info = nullptr, pixels = nullptr;
    const int result = g_plugin->GetPicture(path.c_str(), 0, 0, &info, &pixels, nullptr, 0);
    if (result == 4) return 0;  // larger than the standard export takes (2^26 pixels): no full decode to time
    if (result != 0) throw std::runtime_error("the plug-in did not decode " + path);
    ::LocalFree(pixels);
    ::LocalFree(info);
    return 0;
}
#else
// Natively the plug-in's formats load through its decoders, as the plug-in runs them.
std::uint64_t LoadThroughPlugin(const std::string& path, Mode mode) {
    FileSource file(path);
    velmira::test::CountingSource counted(file);
    const std::unique_ptr<velmira::wic::LibraryPicture> picture = velmira::wic::OpenLibraryPicture(counted);
    if (!picture) throw std::runtime_error("no decoder for " + path);
    const std::uint32_t columns = mode == Mode::Full ? picture->Width() : std::min<std::uint32_t>(picture->Width(), velmira::kPreviewWidth);
    const std::uint32_t rows = mode == Mode::Full ? picture->Height() : std::min<std::uint32_t>(picture->Height(), velmira::kPreviewHeight);
    std::uint32_t seen = 0;
    picture->ReadTopLeft(columns, rows, [&seen](std::uint32_t, const std::uint32_t* row) { seen ^= row[0]; });
    return counted.bytes + (seen & 0);
}
#endif

// One load as the program does it: open the file, decode, drop the file. Returns the bytes read.
std::uint64_t LoadOnce(const std::string& path, const Case& c, Mode mode) {
    if (c.plugin()) return LoadThroughPlugin(path, mode);
    FileSource file(path);
    velmira::test::CountingSource counted(file);
    const int maxWidth = mode == Mode::Full ? 1 << 30 : velmira::kPreviewWidth;
    const int maxHeight = mode == Mode::Full ? 1 << 30 : velmira::kPreviewHeight;
    const velmira::DecodedPicture picture =
        !c.jpeg()                ? velmira::DecodeBmp(counted, maxWidth, maxHeight)
        : mode == Mode::RowByRow ? velmira::DecodeJpegRowByRow(counted, maxWidth, maxHeight)
                                 : velmira::DecodeJpeg(counted, maxWidth, maxHeight);
    if (picture.pixels.empty()) throw std::runtime_error("nothing decoded from " + path);
    return counted.bytes;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int RepeatsFor(const Case& c, Mode mode) {
    if (mode != Mode::Full && !c.progressive && c.kind != Kind::PngInterlaced && c.kind != Kind::GifInterlaced)
        return 21;
    return c.width * c.height >= 10'000'000 ? 3 : 7;
}

struct Timing {
    double medianMs = 0;
    std::uint64_t bytesRead = 0;
};

// A warm-up load first: the file is then in the page cache for every timed one, as after a first start.
Timing TimeLoads(const std::string& path, const Case& c, Mode mode, int repeats) {
    Timing result;
    result.bytesRead = LoadOnce(path, c, mode);
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        LoadOnce(path, c, mode);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    result.medianMs = Median(ms);
    return result;
}

#ifdef _WIN32

int RunWindows(const std::string& dir, const std::string& tsvPath, const std::string& helper,
               const std::string& plugin) {
    velmira::SpiHostProcess::SetProgram(helper);
    velmira::SpiLoadClass::SetBundledPlugin(plugin);
    velmira::SpiLoadClass host;
    host.SetCacheFile({});
    host.LoadPlugins(Join(dir, "no-plugins"));  // the bundled plug-in alone
    g_host = &host;
    const std::unique_ptr<velmira::SpiPluginModule> module = velmira::LoadSpiPlugin(plugin);
    if (!module) throw std::runtime_error("cannot load " + plugin);
    g_plugin = module.get();
    std::ofstream tsv(tsvPath);
    std::printf("%-12s %14s %14s %8s %12s\n", "Picture", "visible ms", "full ms", "full/vis", "read KB");
    for (const Case& c : kCases) {
        const std::string path = Join(dir, FileName(c));
        const Timing visible = TimeLoads(path, c, Mode::Visible, RepeatsFor(c, Mode::Visible));
        const Timing full = TimeLoads(path, c, Mode::Full, RepeatsFor(c, Mode::Full));
        // Bytes that went through FileByteSource for one preview load: what the program reads from disk.
        std::printf("%-12s %14.2f %14.2f %7.1fx %12.0f\n", c.label, visible.medianMs, full.medianMs,
                    full.medianMs / visible.medianMs, visible.bytesRead / 1024.0);
        tsv << FileName(c) << '\t' << visible.medianMs << '\t' << full.medianMs << '\n';
    }
    return tsv ? 0 : 1;
}

#else  // native: generation, child processes for peak memory, djpeg, the table

// Photo-like content: smooth light with fine grain, so that the entropy data is as dense as a camera's
// (a plain gradient compresses to almost nothing and would flatter a decoder that must walk it).
std::uint8_t Grain(std::uint32_t x, std::uint32_t y, std::uint32_t channel) {
    std::uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u ^ channel * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 13;
    return static_cast<std::uint8_t>(h & 31);
}

std::uint8_t Sample(int x, int y, int width, int height, int channel) {
    const int base = channel == 0 ? 200 * x / width : channel == 1 ? 200 * y / height : 100 + 100 * (x + y) / (width + height);
    return static_cast<std::uint8_t>(base + Grain(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                                   static_cast<std::uint32_t>(channel)));
}

// Streams the rows through libjpeg: a 48-megapixel picture never has to be in memory whole.
// Baseline (or progressive) 4:2:0 at quality 90, what a camera (or a web export) writes.
void WriteJpeg(const std::string& path, const Case& c) {
    const int width = c.width, height = c.height;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) throw std::runtime_error("cannot write " + path);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);  // default error_exit: a failure here ends the generator
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    if (c.progressive) jpeg_simple_progression(&cinfo);
    cinfo.restart_in_rows = c.restartRows;
    if (c.restartMcus) cinfo.restart_interval = static_cast<unsigned>(c.restartMcus);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) row[static_cast<std::size_t>(x) * 3 + c] = Sample(x, y, width, height, c);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
}

// A 24-bit bottom-up BMP through the test writer, the commonest kind.
void WriteBmp(const std::string& path, int width, int height) {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::string pixels(stride * static_cast<std::size_t>(height), '\0');
    for (int y = 0; y < height; ++y) {
        char* row = &pixels[stride * static_cast<std::size_t>(height - 1 - y)];
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) row[3 * x + c] = static_cast<char>(Sample(x, y, width, height, 2 - c));
    }
    velmira::test::BmpFormat format;
    const std::string file = velmira::test::AssembleBmp(format, width, height, pixels);
    std::ofstream(path, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));
}

// What the plug-in formats' writers are given: RGBA rows from the top, made one at a time.
struct Content {
    int width;
    int height;
    bool alpha;
    std::function<void(int y, std::uint8_t* rgba)> row;
};

// The benchmark's pictures in the lossless formats: the photo-like light with a little grain, so that they
// compress as a real picture might (full grain would make a 48 MP PNG a few hundred MB); or plain light.
Content Light(const Case& c) {
    return {c.width, c.height, false, [c](int y, std::uint8_t* rgba) {
                for (int x = 0; x < c.width; ++x, rgba += 4) {
                    for (int ch = 0; ch < 3; ++ch) {
                        const int base = ch == 0 ? 200 * x / c.width : ch == 1 ? 200 * y / c.height
                                                                               : 100 + 100 * (x + y) / (c.width + c.height);
                        const int grain = c.plain ? 0 : Grain(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                                               static_cast<std::uint32_t>(ch)) & 3;
                        rgba[ch] = static_cast<std::uint8_t>(base + grain);
                    }
                    rgba[3] = 255;
                }
            }};
}

std::FILE* OpenForWriting(const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) throw std::runtime_error("cannot write " + path);
    return out;
}

// Through libpng, row by row (each pass of an interlaced one gets every row again); 16 bits per channel when asked.
void WritePng(const std::string& path, const Content& content, bool interlaced, int depth = 8) {
    std::FILE* out = OpenForWriting(path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) throw std::runtime_error("libpng failed on " + path);
    png_init_io(png, out);
    png_set_IHDR(png, info, static_cast<png_uint_32>(content.width), static_cast<png_uint_32>(content.height), depth,
                 content.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (!content.alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(content.width) * 4);
    std::vector<std::uint8_t> wide(rgba.size() * 2);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < content.height; ++y) {
            content.row(y, rgba.data());
            if (depth == 16) {
                // Each 8-bit value v as the 16-bit v * 257, big-endian, as the format stores it.
                for (std::size_t i = 0; i < rgba.size(); ++i) wide[2 * i] = wide[2 * i + 1] = rgba[i];
                if (!content.alpha)
                    for (std::size_t i = 3; i < rgba.size(); i += 4) wide[2 * i] = wide[2 * i + 1] = 0;
            }
            png_write_row(png, depth == 16 ? wide.data() : rgba.data());
        }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
}

// A 6 x 7 x 6 colour cube, and the index of a colour in it.
int CubeIndex(const std::uint8_t* rgb) { return rgb[0] * 6 / 256 * 42 + rgb[1] * 7 / 256 * 6 + rgb[2] * 6 / 256; }

// Through giflib; a transparent index when the content has alpha (below half: transparent).
void WriteGif(const std::string& path, const Content& content, bool interlaced) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif) throw std::runtime_error("cannot write " + path);
    GifColorType colours[256] = {};
    for (int i = 0; i < 252; ++i)
        colours[i] = {static_cast<GifByteType>((i / 42) * 255 / 5), static_cast<GifByteType>((i / 6 % 7) * 255 / 6),
                      static_cast<GifByteType>((i % 6) * 255 / 5)};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    constexpr int kTransparent = 255;
    EGifPutScreenDesc(gif, content.width, content.height, 8, 0, map);
    if (content.alpha) {
        GraphicsControlBlock control{};
        control.TransparentColor = kTransparent;
        GifByteType block[4];
        EGifGCBToExtension(&control, block);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, block);
    }
    EGifPutImageDesc(gif, 0, 0, content.width, content.height, interlaced, nullptr);
    const std::vector<std::pair<int, int>> passes =
        interlaced ? std::vector<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}} : std::vector<std::pair<int, int>>{{0, 1}};
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(content.width) * 4);
    std::vector<GifPixelType> line(static_cast<std::size_t>(content.width));
    for (const auto& [first, step] : passes)
        for (int y = first; y < content.height; y += step) {
            content.row(y, rgba.data());
            for (int x = 0; x < content.width; ++x) {
                const std::uint8_t* p = &rgba[static_cast<std::size_t>(x) * 4];
                line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(content.alpha && p[3] < 128 ? kTransparent : CubeIndex(p));
            }
            if (EGifPutLine(gif, line.data(), content.width) == GIF_ERROR) throw std::runtime_error("giflib failed");
        }
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
}

// Through libtiff: strips of 16 rows with LZW, or tiles of `tile` pixels with Deflate, both with the horizontal
// predictor, as scanners and editors write them.
void WriteTiff(const std::string& path, const Content& content, bool tiled, int rowsPerStrip = 16, int tile = 256) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (!tiff) throw std::runtime_error("cannot write " + path);
    const int samples = content.alpha ? 4 : 3;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, content.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, content.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, tiled ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (content.alpha) {
        const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (tiled) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, tile);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, tile);
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    }
    const std::size_t stride = static_cast<std::size_t>(content.width) * samples;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(content.width) * 4);
    const auto rowOf = [&](int y, std::uint8_t* out) {
        content.row(y, rgba.data());
        for (int x = 0; x < content.width; ++x)
            std::memcpy(out + static_cast<std::size_t>(x) * samples, &rgba[static_cast<std::size_t>(x) * 4], samples);
    };
    if (!tiled) {
        std::vector<std::uint8_t> row(stride);
        for (int y = 0; y < content.height; ++y) {
            rowOf(y, row.data());
            if (TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0) < 0) throw std::runtime_error("libtiff failed");
        }
    } else {
        std::vector<std::uint8_t> band(stride * static_cast<std::size_t>(tile));
        std::vector<std::uint8_t> piece(static_cast<std::size_t>(tile) * tile * samples);
        for (int top = 0; top < content.height; top += tile) {
            std::fill(band.begin(), band.end(), 0);
            for (int y = top; y < std::min(top + tile, content.height); ++y) rowOf(y, &band[stride * static_cast<std::size_t>(y - top)]);
            for (int left = 0; left < content.width; left += tile) {
                std::fill(piece.begin(), piece.end(), 0);
                const int columns = std::min(tile, content.width - left);
                for (int y = 0; y < tile; ++y)
                    std::memcpy(&piece[static_cast<std::size_t>(y) * tile * samples],
                                &band[stride * static_cast<std::size_t>(y) + static_cast<std::size_t>(left) * samples],
                                static_cast<std::size_t>(columns) * samples);
                if (TIFFWriteTile(tiff, piece.data(), static_cast<std::uint32_t>(left), static_cast<std::uint32_t>(top), 0, 0) < 0)
                    throw std::runtime_error("libtiff failed");
            }
        }
    }
    TIFFClose(tiff);
}

// Through libwebp's simple encoder: lossy at quality 80 (what a web export writes), or lossless.
void WriteWebp(const std::string& path, const Content& content, bool lossless) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(content.width) * content.height * 4);
    for (int y = 0; y < content.height; ++y) content.row(y, &rgba[static_cast<std::size_t>(y) * content.width * 4]);
    std::uint8_t* encoded = nullptr;
    const int stride = content.width * 4;
    const std::size_t size = lossless ? WebPEncodeLosslessRGBA(rgba.data(), content.width, content.height, stride, &encoded)
                                      : WebPEncodeRGBA(rgba.data(), content.width, content.height, stride, 80, &encoded);
    if (size == 0) throw std::runtime_error("libwebp failed on " + path);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(encoded), static_cast<std::streamsize>(size));
    WebPFree(encoded);
}

void WritePluginFormat(const std::string& path, const Case& c) {
    const Content content = Light(c);
    switch (c.kind) {
    case Kind::Png: WritePng(path, content, false); break;
    case Kind::PngInterlaced: WritePng(path, content, true); break;
    case Kind::Gif: WriteGif(path, content, false); break;
    case Kind::GifInterlaced: WriteGif(path, content, true); break;
    case Kind::TiffStrips: WriteTiff(path, content, false); break;
    case Kind::TiffTiles: WriteTiff(path, content, true); break;
    case Kind::Webp: WriteWebp(path, content, false); break;
    default: break;
    }
}

int Generate(const std::string& dir) {
    for (const Case& c : kCases) {
        const std::string path = Join(dir, FileName(c));
        if (std::ifstream(path).good()) continue;  // made by an earlier run
        std::fprintf(stderr, "writing %s\n", path.c_str());
        if (c.jpeg())
            WriteJpeg(path, c);
        else if (c.kind == Kind::Bmp)
            WriteBmp(path, c.width, c.height);
        else
            WritePluginFormat(path, c);
    }
    return 0;
}

// The small pictures of tests/data/pictures, one of each kind the plug-in's decoders meet: 53 x 41 pixels of
// colour ramps, with alpha from transparent to opaque where the kind has it.
int Samples(const std::string& dir) {
    constexpr int kWidth = 53, kHeight = 41;
    const auto ramps = [](bool alpha) {
        return Content{kWidth, kHeight, alpha, [alpha](int y, std::uint8_t* rgba) {
                           for (int x = 0; x < kWidth; ++x, rgba += 4) {
                               rgba[0] = static_cast<std::uint8_t>(x * 255 / (kWidth - 1));
                               rgba[1] = static_cast<std::uint8_t>(y * 255 / (kHeight - 1));
                               rgba[2] = static_cast<std::uint8_t>((x * 7 + y * 13) & 255);
                               rgba[3] = alpha ? static_cast<std::uint8_t>((x + y) * 255 / (kWidth + kHeight - 2)) : 255;
                           }
                       }};
    };
    WritePng(Join(dir, "rgba.png"), ramps(true), false);
    WritePng(Join(dir, "adam7-16bit.png"), ramps(true), true, 16);
    WritePng(Join(dir, "adam7.png"), ramps(false), true);
    WriteGif(Join(dir, "transparent.gif"), ramps(true), false);
    WriteGif(Join(dir, "interlaced.gif"), ramps(false), true);
    WriteTiff(Join(dir, "strips.tif"), ramps(false), false, 5);
    WriteTiff(Join(dir, "tiles-alpha.tif"), ramps(true), true, 16, 16);
    WriteWebp(Join(dir, "lossy-alpha.webp"), ramps(true), false);
    WriteWebp(Join(dir, "lossless.webp"), ramps(false), true);
    return 0;
}

struct ChildResult {
    std::string output;
    double wallMs = 0;
    long peakKb = 0;
};

// Runs a program with its standard output captured; peak memory from the kernel's account of the child.
ChildResult RunChild(std::vector<std::string> args) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    ChildResult result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) result.output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    result.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    result.peakKb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("child failed: " + args[0]);
    return result;
}

std::string SelfPath() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) throw std::runtime_error("readlink");
    return std::string(path, static_cast<std::size_t>(n));
}

struct Measured {
    Timing timing;
    long peakKb = 0;
};

const char* ModeName(Mode mode) { return mode == Mode::Visible ? "visible" : mode == Mode::RowByRow ? "rows" : "full"; }

Measured MeasureInChild(const std::string& path, const Case& c, Mode mode) {
    const ChildResult child = RunChild({SelfPath(), "measure", ModeName(mode),
                                        std::to_string(&c - kCases), path, std::to_string(RepeatsFor(c, mode))});
    Measured m;
    std::istringstream(child.output) >> m.timing.medianMs >> m.timing.bytesRead;
    m.peakKb = child.peakKb;
    return m;
}

// djpeg decodes the whole picture with the same settings (accurate integer DCT, smooth upsampling) and
// writes it as PPM to /dev/null. Timed from outside, so the times include starting the process.
Measured MeasureDjpeg(const std::string& path, const Case& c) {
    std::vector<double> ms;
    long peak = 0;
    const int repeats = RepeatsFor(c, Mode::Full);
    for (int i = 0; i <= repeats; ++i) {
        const ChildResult child = RunChild({"djpeg", "-dct", "int", "-outfile", "/dev/null", path});
        if (i > 0) ms.push_back(child.wallMs);  // the first run warms the cache
        peak = std::max(peak, child.peakKb);
    }
    return Measured{Timing{Median(ms), 0}, peak};
}

int MeasureOne(const std::string& modeText, std::size_t index, const std::string& path, int repeats) {
    const Mode mode = modeText == "visible" ? Mode::Visible : modeText == "rows" ? Mode::RowByRow : Mode::Full;
    const Timing t = TimeLoads(path, kCases[index], mode, repeats);
    std::printf("%.4f %llu\n", t.medianMs, static_cast<unsigned long long>(t.bytesRead));
    return 0;
}

int PrintPixel(const std::string& path, int x, int y) {
    const auto endsWith = [&path](const char* end) {
        const std::size_t n = std::strlen(end);
        return path.size() > n && path.compare(path.size() - n, n, end) == 0;
    };
    FileSource file(path);
    std::uint32_t pixel = 0;
    if (endsWith(".jpg") || endsWith(".bmp")) {
        const velmira::DecodedPicture picture =
            endsWith(".jpg") ? velmira::DecodeJpeg(file, x + 1, y + 1) : velmira::DecodeBmp(file, x + 1, y + 1);
        pixel = picture.At(x, y);
    } else {
        const std::unique_ptr<velmira::wic::LibraryPicture> picture = velmira::wic::OpenLibraryPicture(file);
        if (!picture) throw std::runtime_error("no decoder for " + path);
        picture->ReadTopLeft(static_cast<std::uint32_t>(x + 1), static_cast<std::uint32_t>(y + 1),
                             [&](std::uint32_t row, const std::uint32_t* pixels) {
                                 if (row == static_cast<std::uint32_t>(y)) pixel = pixels[x];
                             });
    }
    std::printf("%06X\n", static_cast<unsigned>(pixel));
    return 0;
}

std::map<std::string, std::pair<double, double>> ReadWineTimes(const std::string& tsvPath) {
    std::map<std::string, std::pair<double, double>> times;
    std::ifstream in(tsvPath);
    std::string name;
    double visible = 0, full = 0;
    while (in >> name >> visible >> full) times[name] = {visible, full};
    return times;
}

std::uint64_t FileSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return static_cast<std::uint64_t>(in.tellg());
}

std::string Ratio(double a, double b) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1fx", a / b);
    return text;
}

int RunNative(const std::string& dir, const std::string& wineTsv) {
    const auto wine = wineTsv.empty() ? std::map<std::string, std::pair<double, double>>{} : ReadWineTimes(wineTsv);
    const ChildResult idle = RunChild({SelfPath(), "idle"});
    std::printf("Picture load: median ms per load (warm cache), bytes read, peak RSS of a process doing only that.\n");
    std::printf("Idle bench process peak RSS: %.1f MB. Ratios are full decode / preview load.\n\n", idle.peakKb / 1024.0);
    std::printf("| Picture | File MB | Load ms | Read KB | Row-by-row ms | Full ms | djpeg ms | Full/Load | djpeg/Load | Wine load ms | Wine full ms | Wine full/load | RSS MB load / full / djpeg |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n");
    std::map<std::string, double> loadMs, wineLoadMs;
    for (const Case& c : kCases) {
        const std::string path = Join(dir, FileName(c));
        const Measured load = MeasureInChild(path, c, Mode::Visible);
        const Measured full = MeasureInChild(path, c, Mode::Full);
        const Measured djpeg = c.jpeg() ? MeasureDjpeg(path, c) : Measured{};
        char rowByRowMs[32] = "–";
        if (c.jpeg()) std::snprintf(rowByRowMs, sizeof rowByRowMs, "%.2f", MeasureInChild(path, c, Mode::RowByRow).timing.medianMs);
        loadMs[c.label] = load.timing.medianMs;
        std::string wineCells = "– | – | –";
        const auto w = wine.find(FileName(c));
        if (w != wine.end()) {
            char cells[96];
            std::snprintf(cells, sizeof cells, "%.2f | %.1f | %s", w->second.first, w->second.second,
                          Ratio(w->second.second, w->second.first).c_str());
            wineCells = cells;
            wineLoadMs[c.label] = w->second.first;
        }
        char djpegMs[32] = "–", djpegRatio[32] = "–", djpegRss[32] = "–";
        if (c.jpeg()) {
            std::snprintf(djpegMs, sizeof djpegMs, "%.1f", djpeg.timing.medianMs);
            std::snprintf(djpegRatio, sizeof djpegRatio, "%s", Ratio(djpeg.timing.medianMs, load.timing.medianMs).c_str());
            std::snprintf(djpegRss, sizeof djpegRss, "%.1f", djpeg.peakKb / 1024.0);
        }
        std::printf("| %s | %.1f | %.2f | %.0f | %s | %.1f | %s | %s | %s | %s | %.1f / %.1f / %s |\n", c.label,
                    FileSize(path) / 1048576.0, load.timing.medianMs, load.timing.bytesRead / 1024.0, rowByRowMs,
                    full.timing.medianMs, djpegMs, Ratio(full.timing.medianMs, load.timing.medianMs).c_str(),
                    djpegRatio, wineCells.c_str(), load.peakKb / 1024.0, full.peakKb / 1024.0, djpegRss);
        std::fflush(stdout);
    }
    std::printf("\nGoals: the 48 MP load within 2x of the 0.3 MP load (JPEG, BMP), within 1.5x (the plug-in's formats"
                " other than interlaced PNG and GIF).\n");
    const std::pair<std::string, std::string> goals[] = {
        {"JPEG 48 MP", "JPEG 0.3 MP"},
        {"JPEG 48 MP, restart every row", "JPEG 0.3 MP, restart every row"},
        {"BMP 48 MP", "BMP 0.3 MP"},
        {"PNG 48 MP", "PNG 0.3 MP"},
        {"PNG 100 MP gradient", "PNG 0.3 MP"},
        {"PNG 48 MP, interlaced", "PNG 0.3 MP, interlaced"},
        {"GIF 48 MP", "GIF 0.3 MP"},
        {"GIF 48 MP, interlaced", "GIF 0.3 MP, interlaced"},
        {"TIFF 48 MP, strips", "TIFF 0.3 MP, strips"},
        {"TIFF 48 MP, tiles", "TIFF 0.3 MP, tiles"},
        {"WebP 48 MP", "WebP 0.3 MP"},
    };
    for (const auto& [big, small] : goals) {
        std::printf("  %s / %s: native %s", big.c_str(), small.c_str(), Ratio(loadMs[big], loadMs[small]).c_str());
        if (wineLoadMs.count(big) && wineLoadMs.count(small))
            std::printf(", Wine %s", Ratio(wineLoadMs[big], wineLoadMs[small]).c_str());
        std::printf("\n");
    }
    return 0;
}

#endif

int Usage() {
    std::fprintf(stderr, "usage: velmira_load_bench generate DIR | samples DIR | run DIR [--wine TSV]"
                         " | run DIR --tsv FILE HELPER PLUGIN\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (args.empty()) return Usage();
#ifdef _WIN32
        if (args[0] == "run" && args.size() == 6 && args[2] == "--tsv") return RunWindows(args[1], args[3], args[4], args[5]);
#else
        if (args[0] == "generate" && args.size() == 2) return Generate(args[1]);
        if (args[0] == "run" && args.size() == 2) return RunNative(args[1], "");
        if (args[0] == "run" && args.size() == 4 && args[2] == "--wine") return RunNative(args[1], args[3]);
        if (args[0] == "measure" && args.size() == 5)
            return MeasureOne(args[1], static_cast<std::size_t>(std::stoul(args[2])), args[3], std::stoi(args[4]));
        if (args[0] == "samples" && args.size() == 2) return Samples(args[1]);
        if (args[0] == "idle") return 0;
        if (args[0] == "pixel" && args.size() == 4) return PrintPixel(args[1], std::stoi(args[2]), std::stoi(args[3]));
#endif
        return Usage();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmira_load_bench: %s\n", e.what());
        return 1;
    }
}
