#include "support/PictureWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace velmira::test {
namespace {

void Put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::uint32_t HeaderSize(BmpHeader header) {
    switch (header) {
        case BmpHeader::Core12: return 12;
        case BmpHeader::Os2v2_16: return 16;
        case BmpHeader::Info40: return 40;
        case BmpHeader::V2_52: return 52;
        case BmpHeader::V3_56: return 56;
        case BmpHeader::Os2v2_64: return 64;
        case BmpHeader::V4_108: return 108;
        case BmpHeader::V5_124: return 124;
    }
    return 40;
}

bool UsesMasks(const BmpFormat& format) {
    return format.compression == BmpCompression::Bitfields || format.compression == BmpCompression::AlphaBitfields;
}

std::string InfoHeader(const BmpFormat& format, int width, int height, std::uint32_t imageSize) {
    const std::uint32_t size = HeaderSize(format.header);
    std::string h;
    Put32(h, size);
    if (format.header == BmpHeader::Core12) {
        Put16(h, static_cast<std::uint32_t>(width));
        Put16(h, static_cast<std::uint32_t>(height));
        Put16(h, 1);
        Put16(h, static_cast<std::uint32_t>(format.bitsPerPixel));
        return h;
    }
    Put32(h, static_cast<std::uint32_t>(width));
    Put32(h, static_cast<std::uint32_t>(format.topDown ? -height : height));
    Put16(h, 1);
    Put16(h, static_cast<std::uint32_t>(format.bitsPerPixel));
    if (size == 16) return h;
    std::uint32_t colorsUsed = static_cast<std::uint32_t>(format.colorsUsed);
    if (format.colorsUsed < 0) {
        const bool full = format.bitsPerPixel <= 8 && format.palette.size() == (1u << format.bitsPerPixel);
        colorsUsed = full ? 0 : static_cast<std::uint32_t>(format.palette.size());
    }
    Put32(h, static_cast<std::uint32_t>(format.compression));
    Put32(h, imageSize);
    Put32(h, 2835);  // 72 dpi
    Put32(h, 2835);
    Put32(h, colorsUsed);
    Put32(h, 0);
    if (size >= 52 && size != 64) {
        for (int i = 0; i < (size >= 56 ? 4 : 3); ++i) Put32(h, UsesMasks(format) ? format.masks[i] : 0);
    }
    h.resize(size, '\0');  // colour space fields of V4 and V5, OS/2 2.x extras: all zero
    return h;
}

std::uint32_t ScaleTo(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) ++shift;
    const std::uint64_t max = mask >> shift;
    return static_cast<std::uint32_t>(((value * max + 127) / 255) << shift) & mask;
}

std::string PackRows(const BmpFormat& format, const TestPicture& picture) {
    const int bpp = format.bitsPerPixel;
    const std::size_t stride = (static_cast<std::size_t>(picture.width) * bpp + 31) / 32 * 4;
    std::uint32_t masks[4] = {format.masks[0], format.masks[1], format.masks[2], format.masks[3]};
    if (!UsesMasks(format) && bpp == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    std::string data;
    for (int row = 0; row < picture.height; ++row) {
        const int y = format.topDown ? row : picture.height - 1 - row;
        std::string line(stride, '\0');
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t v = picture.At(x, y);
            if (bpp <= 8) {
                const int perByte = 8 / bpp;
                const int shift = 8 - bpp * (x % perByte + 1);
                line[x / perByte] = static_cast<char>(static_cast<unsigned char>(line[x / perByte]) | (v << shift));
            } else if (bpp == 24) {
                line[3 * x] = static_cast<char>(v & 0xFF);
                line[3 * x + 1] = static_cast<char>((v >> 8) & 0xFF);
                line[3 * x + 2] = static_cast<char>((v >> 16) & 0xFF);
            } else {
                // 32-bit BI_RGB gets a nonzero fourth byte, which readers must ignore.
                const std::uint32_t packed = (bpp == 32 && !UsesMasks(format)) ? (v | 0x80000000u) : PackMasked(v, masks);
                for (int b = 0; b < bpp / 8; ++b) line[bpp / 8 * x + b] = static_cast<char>((packed >> (8 * b)) & 0xFF);
            }
        }
        data += line;
    }
    return data;
}

// Shared by both RLE encoders; `four` packs two indices per byte.
std::string EncodeRle(const TestPicture& indices, bool four) {
    std::string out;
    auto pack = [&](const std::uint32_t* values, int count) {
        for (int i = 0; i < count; i += four ? 2 : 1) {
            if (!four) {
                out.push_back(static_cast<char>(values[i]));
            } else {
                const std::uint32_t low = i + 1 < count ? values[i + 1] : 0;
                out.push_back(static_cast<char>((values[i] << 4) | low));
            }
        }
    };
    for (int y = indices.height - 1; y >= 0; --y) {
        const std::uint32_t* row = &indices.values[static_cast<std::size_t>(y) * indices.width];
        int x = 0;
        while (x < indices.width) {
            int run = 1;
            while (x + run < indices.width && run < 255 && row[x + run] == row[x]) ++run;
            if (run >= 2) {
                out.push_back(static_cast<char>(run));
                out.push_back(static_cast<char>(four ? (row[x] << 4) | row[x] : row[x]));
                x += run;
                continue;
            }
            int literal = 1;
            while (x + literal < indices.width && literal < 255 &&
                   !(x + literal + 1 < indices.width && row[x + literal] == row[x + literal + 1]))
                ++literal;
            if (literal < 3) {  // absolute mode needs at least three pixels
                for (int i = 0; i < literal; ++i) {
                    out.push_back(1);
                    out.push_back(static_cast<char>(four ? row[x + i] << 4 : row[x + i]));
                }
            } else {
                out.push_back(0);
                out.push_back(static_cast<char>(literal));
                const std::size_t before = out.size();
                pack(row + x, literal);
                if ((out.size() - before) % 2 != 0) out.push_back(0);
            }
            x += literal;
        }
        out.push_back(0);
        out.push_back(0);  // end of line
    }
    out.push_back(0);
    out.push_back(1);  // end of bitmap
    return out;
}

}  // namespace

TestPicture GradientPicture(int width, int height) {
    TestPicture p{width, height, {}};
    p.values.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.values[static_cast<std::size_t>(y) * width + x] =
                (static_cast<std::uint32_t>(x * 7 + y) & 0xFF) << 16 | (static_cast<std::uint32_t>(y * 5) & 0xFF) << 8 |
                (static_cast<std::uint32_t>(x * 3 + y * 11) & 0xFF);
    return p;
}

TestPicture IndexPicture(int width, int height, int colors) {
    TestPicture p{width, height, {}};
    p.values.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            // Horizontal stretches of equal indices, so that RLE encoders produce both kinds of codes.
            p.values[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint32_t>((x / (1 + y % 4) + y) % colors);
    return p;
}

std::uint32_t PackMasked(std::uint32_t rgb, const std::uint32_t masks[4]) {
    return ScaleTo((rgb >> 16) & 0xFF, masks[0]) | ScaleTo((rgb >> 8) & 0xFF, masks[1]) | ScaleTo(rgb & 0xFF, masks[2]);
}

std::string AssembleBmp(const BmpFormat& format, int width, int height, const std::string& pixelData) {
    std::string tail = InfoHeader(format, width, height, static_cast<std::uint32_t>(pixelData.size()));
    if (UsesMasks(format) && HeaderSize(format.header) < 52) {
        for (int i = 0; i < (format.compression == BmpCompression::AlphaBitfields ? 4 : 3); ++i) Put32(tail, format.masks[i]);
    }
    for (std::uint32_t color : format.palette) {
        tail.push_back(static_cast<char>(color & 0xFF));
        tail.push_back(static_cast<char>((color >> 8) & 0xFF));
        tail.push_back(static_cast<char>((color >> 16) & 0xFF));
        if (format.header != BmpHeader::Core12) tail.push_back(0);
    }
    std::string file = "BM";
    Put32(file, static_cast<std::uint32_t>(14 + tail.size() + pixelData.size()));
    Put32(file, 0);
    Put32(file, static_cast<std::uint32_t>(14 + tail.size()));
    return file + tail + pixelData;
}

std::string EncodeBmp(const BmpFormat& format, const TestPicture& picture) {
    std::string data;
    if (format.compression == BmpCompression::Rle8)
        data = EncodeRle8(picture);
    else if (format.compression == BmpCompression::Rle4)
        data = EncodeRle4(picture);
    else
        data = PackRows(format, picture);
    return AssembleBmp(format, picture.width, picture.height, data);
}

std::string EncodeRle8(const TestPicture& indices) { return EncodeRle(indices, false); }
std::string EncodeRle4(const TestPicture& indices) { return EncodeRle(indices, true); }

std::string EncodeJpeg(const JpegFormat& format, const TestPicture& picture) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);

    cinfo.image_width = static_cast<JDIMENSION>(picture.width);
    cinfo.image_height = static_cast<JDIMENSION>(picture.height);
    switch (format.color) {
        case JpegColor::Grayscale: cinfo.input_components = 1; cinfo.in_color_space = JCS_GRAYSCALE; break;
        case JpegColor::YCbCr:
        case JpegColor::Rgb: cinfo.input_components = 3; cinfo.in_color_space = JCS_RGB; break;
        case JpegColor::Cmyk:
        case JpegColor::Ycck: cinfo.input_components = 4; cinfo.in_color_space = JCS_CMYK; break;
    }
    jpeg_set_defaults(&cinfo);
    if (format.color == JpegColor::Rgb) jpeg_set_colorspace(&cinfo, JCS_RGB);
    if (format.color == JpegColor::Ycck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
    jpeg_set_quality(&cinfo, format.quality, TRUE);
    cinfo.comp_info[0].h_samp_factor = format.hSampling;
    cinfo.comp_info[0].v_samp_factor = format.vSampling;
    for (int c = 1; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    if (format.progressive) jpeg_simple_progression(&cinfo);
    cinfo.restart_in_rows = format.restartRows;
    if (format.restartMcus != 0) {
        cinfo.restart_in_rows = 0;  // it would take precedence
        cinfo.restart_interval = static_cast<unsigned>(format.restartMcus);
    }
    cinfo.optimize_coding = format.optimizeCoding ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);

    std::vector<JSAMPLE> row(static_cast<std::size_t>(picture.width) * cinfo.input_components);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t v = picture.At(x, y);
            const unsigned r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
            JSAMPLE* out = &row[static_cast<std::size_t>(x) * cinfo.input_components];
            if (cinfo.input_components == 1) {
                out[0] = static_cast<JSAMPLE>((r * 299 + g * 587 + b * 114 + 500) / 1000);
            } else if (cinfo.input_components == 3) {
                out[0] = static_cast<JSAMPLE>(r);
                out[1] = static_cast<JSAMPLE>(g);
                out[2] = static_cast<JSAMPLE>(b);
            } else {
                // Inverted inks: stored = 255 - ink, and the ink of cyan is 255 - red.
                out[0] = static_cast<JSAMPLE>(r);
                out[1] = static_cast<JSAMPLE>(g);
                out[2] = static_cast<JSAMPLE>(b);
                out[3] = static_cast<JSAMPLE>(format.blackSample);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string file(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return file;
}

namespace {

struct JumpingErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

}  // namespace

TestPicture DecodeJpegWithLibjpeg(const std::string& file) {
    TestPicture picture;
    std::vector<JSAMPLE> row;
    jpeg_decompress_struct cinfo{};
    JumpingErrors errors{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JumpingErrors*>(c->err)->jump, 1); };
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return TestPicture{};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(file.data()), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    jpeg_start_decompress(&cinfo);
    picture.width = static_cast<int>(cinfo.output_width);
    picture.height = static_cast<int>(cinfo.output_height);
    row.resize(static_cast<std::size_t>(picture.width) * 3);
    picture.values.reserve(static_cast<std::size_t>(picture.width) * picture.height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
        for (int x = 0; x < picture.width; ++x)
            picture.values.push_back(std::uint32_t{row[3 * x]} << 16 | std::uint32_t{row[3 * x + 1]} << 8 | row[3 * x + 2]);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return picture;
}

}  // namespace velmira::test
