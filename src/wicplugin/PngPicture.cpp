// PNG through libpng. Rows are inflated and unfiltered in file order, so a non-interlaced picture stops after the
// last row shown. An interlaced one spreads every row over seven passes: the first six, which hold the even rows,
// are read whole, and the seventh only as far as the last odd row shown (about half the picture's data).
#include <png.h>

#include <csetjmp>
#include <stdexcept>
#include <vector>

#include "wicplugin/LibraryPicture.h"
#include "wicplugin/WicPixels.h"

namespace velmira::wic {
namespace {

// libpng reports through these; its own default would print to the console.
void OnError(png_structp png, png_const_charp) { std::longjmp(png_jmpbuf(png), 1); }
void OnWarning(png_structp, png_const_charp) {}

void ReadData(png_structp png, png_bytep data, png_size_t length) {
    auto* cursor = static_cast<SourceCursor*>(png_get_io_ptr(png));
    bool read = false;
    // No exception may pass through libpng's C code: a failed read becomes libpng's own error.
    try {
        read = cursor->Read(data, length) == length;
    } catch (...) {
    }
    if (!read) png_error(png, "cannot read");
}

// libpng's reading state, released however the picture's construction ends.
struct PngReader {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    PngReader() = default;
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;
    ~PngReader() { png_destroy_read_struct(&png, &info, nullptr); }
};

class PngPicture final : public LibraryPicture {
public:
    explicit PngPicture(ByteSource& source) : cursor_(source) {
        if (!reader_.png || !reader_.info) throw std::bad_alloc();
        png_set_read_fn(png_, &cursor_, ReadData);
        if (!ReadHeader()) throw std::runtime_error("broken PNG header");
        if (width_ > kMaxLibrarySide || height_ > kMaxLibrarySide ||
            std::uint64_t{width_} * height_ > kMaxLibraryPixels)
            throw std::runtime_error("PNG too large");
    }
    PngPicture(const PngPicture&) = delete;
    PngPicture& operator=(const PngPicture&) = delete;

    std::uint32_t Width() const override { return width_; }
    std::uint32_t Height() const override { return height_; }

    void ReadTopLeft(std::uint32_t columns, std::uint32_t rows, const RowSink& sink) override {
        const std::size_t stride = std::size_t{width_} * 4;
        // A non-interlaced picture needs one row at a time; an interlaced one keeps every row shown until its
        // last pass has filled it in.
        std::vector<png_byte> bgra(stride * (passes_ > 1 ? rows : 1));
        std::vector<std::uint32_t> out(columns);
        if (!ReadRows(bgra.data(), stride, columns, rows, out.data(), sink))
            throw std::runtime_error("broken PNG data");
    }

private:
    // Everything between the jump target and the end of these two is plain data: libpng's errors jump back here.
    bool ReadHeader() {
        if (setjmp(png_jmpbuf(png_))) return false;
        png_read_info(png_, info_);
        width_ = png_get_image_width(png_, info_);
        height_ = png_get_image_height(png_, info_);
        // Whatever the colour type and depth: 8-bit blue, green, red and alpha, the alpha straight.
        png_set_expand(png_);
        png_set_scale_16(png_);
        png_set_gray_to_rgb(png_);
        png_set_add_alpha(png_, 0xFF, PNG_FILLER_AFTER);
        png_set_bgr(png_);
        passes_ = png_set_interlace_handling(png_);
        png_read_update_info(png_, info_);
        return png_get_rowbytes(png_, info_) == std::size_t{width_} * 4;
    }

    bool ReadRows(png_bytep bgra, std::size_t stride, std::uint32_t columns, std::uint32_t rows,
                  std::uint32_t* out, const RowSink& sink) {
        if (setjmp(png_jmpbuf(png_))) return false;
        if (passes_ == 1) {
            for (std::uint32_t y = 0; y < rows; ++y) {
                png_read_row(png_, bgra, nullptr);
                BgraRowOverWhite(bgra, out, columns);
                sink(y, out);
            }
            return true;
        }
        for (int pass = 0; pass < passes_; ++pass)
            for (std::uint32_t y = 0; y < height_; ++y) {
                if (pass == passes_ - 1 && y >= rows) break;  // every row shown is complete
                png_read_row(png_, y < rows ? bgra + y * stride : nullptr, nullptr);
            }
        for (std::uint32_t y = 0; y < rows; ++y) {
            BgraRowOverWhite(bgra + y * stride, out, columns);
            sink(y, out);
        }
        return true;
    }

    SourceCursor cursor_;
    PngReader reader_;
    png_structp png_ = reader_.png;
    png_infop info_ = reader_.info;
    png_uint_32 width_ = 0;
    png_uint_32 height_ = 0;
    int passes_ = 1;
};

}  // namespace

std::unique_ptr<LibraryPicture> OpenPng(ByteSource& source) { return std::make_unique<PngPicture>(source); }

}  // namespace velmira::wic
