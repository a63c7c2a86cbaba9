// GIF through giflib: the first image of the file, at its own size (as the system's codecs give a frame), its
// transparent colour white. The LZW data can only be decoded in order: a picture stored row by row stops after
// the last row shown; an interlaced one holds the even rows in its first three passes, which are read whole, and
// the odd rows in its fourth, read as far as the last row shown (about half the picture's data).
#include <gif_lib.h>

#include <stdexcept>
#include <vector>

#include "wicplugin/LibraryPicture.h"

namespace velmira::wic {
namespace {

int ReadData(GifFileType* gif, GifByteType* data, int length) {
    auto* cursor = static_cast<SourceCursor*>(gif->UserData);
    // No exception may pass through giflib's C code: a failed read is a short one.
    try {
        return static_cast<int>(cursor->Read(data, static_cast<std::size_t>(length)));
    } catch (...) {
        return 0;
    }
}

struct GifCloser {
    void operator()(GifFileType* gif) const noexcept {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

class GifPicture final : public LibraryPicture {
public:
    explicit GifPicture(ByteSource& source) : cursor_(source) {
        int error = 0;
        gif_.reset(DGifOpen(&cursor_, ReadData, &error));
        if (!gif_) throw std::runtime_error("broken GIF header");
        FindFirstImage();
        const GifImageDesc& image = gif_->Image;
        if (image.Width <= 0 || image.Height <= 0) throw std::runtime_error("empty GIF image");
        width_ = static_cast<std::uint32_t>(image.Width);
        height_ = static_cast<std::uint32_t>(image.Height);
        const ColorMapObject* map = image.ColorMap ? image.ColorMap : gif_->SColorMap;
        // Indexes past the colour map are black, as is everything without one.
        palette_.assign(256, 0);
        for (int i = 0; map && i < map->ColorCount && i < 256; ++i) {
            const GifColorType& c = map->Colors[i];
            palette_[static_cast<std::size_t>(i)] = std::uint32_t{c.Red} << 16 | std::uint32_t{c.Green} << 8 | c.Blue;
        }
        if (transparent_ >= 0) palette_[static_cast<std::size_t>(transparent_)] = 0xFFFFFF;
    }

    std::uint32_t Width() const override { return width_; }
    std::uint32_t Height() const override { return height_; }

    void ReadTopLeft(std::uint32_t columns, std::uint32_t rows, const RowSink& sink) override {
        // Lines come in the file's order; each one shown is kept until all of them are there.
        std::vector<GifPixelType> lines(std::size_t{rows} * width_);
        std::vector<GifPixelType> skipped(width_);
        std::uint32_t missing = rows;
        for (const Pass& pass : Passes()) {
            for (std::uint32_t y = pass.first; y < height_ && missing > 0; y += pass.step) {
                GifPixelType* line = y < rows ? &lines[std::size_t{y} * width_] : skipped.data();
                if (DGifGetLine(gif_.get(), line, static_cast<int>(width_)) == GIF_ERROR)
                    throw std::runtime_error("broken GIF data");
                if (y < rows) --missing;
            }
        }
        std::vector<std::uint32_t> out(columns);
        for (std::uint32_t y = 0; y < rows; ++y) {
            const GifPixelType* line = &lines[std::size_t{y} * width_];
            for (std::uint32_t x = 0; x < columns; ++x) out[x] = palette_[line[x]];
            sink(y, out.data());
        }
    }

private:
    struct Pass {
        std::uint32_t first, step;
    };
    std::vector<Pass> Passes() const {
        if (!gif_->Image.Interlace) return {{0, 1}};
        return {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    }

    // Reads up to the first image's descriptor, taking its transparent colour from the control block before it.
    void FindFirstImage() {
        for (;;) {
            GifRecordType type = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(gif_.get(), &type) == GIF_ERROR) throw std::runtime_error("broken GIF");
            if (type == IMAGE_DESC_RECORD_TYPE) {
                if (DGifGetImageDesc(gif_.get()) == GIF_ERROR) throw std::runtime_error("broken GIF image");
                return;
            }
            if (type != EXTENSION_RECORD_TYPE) throw std::runtime_error("GIF without an image");
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif_.get(), &code, &block) == GIF_ERROR) throw std::runtime_error("broken GIF");
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
                GraphicsControlBlock control;
                if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                    transparent_ = control.TransparentColor;
            }
            while (block)
                if (DGifGetExtensionNext(gif_.get(), &block) == GIF_ERROR) throw std::runtime_error("broken GIF");
        }
    }

    SourceCursor cursor_;
    std::unique_ptr<GifFileType, GifCloser> gif_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    int transparent_ = NO_TRANSPARENT_COLOR;
    std::vector<std::uint32_t> palette_;
};

}  // namespace

std::unique_ptr<LibraryPicture> OpenGif(ByteSource& source) { return std::make_unique<GifPicture>(source); }

}  // namespace velmira::wic
