// The load benchmark's pictures, written natively with each format's own writer (the system's full libraries).
#include "LoadPictures.h"

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <webp/encode.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "LoadBench.h"
#include "support/PictureWriter.h"

namespace loadbench {
namespace {

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

}  // namespace

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

}  // namespace loadbench
