// WebP through libwebp's incremental decoder, cropped to the rows and columns asked for: the file is handed over in
// small pieces, and reading and decoding stop once the last row asked for is there. (The incremental decoder of
// lossy pictures decodes every row of the data it has, crop or not; the pieces bound how far past the last row it
// gets.) A picture with more than one frame is left to the system's codecs.
#include <webp/decode.h>

#include <stdexcept>
#include <vector>

#include "wicplugin/LibraryPicture.h"
#include "wicplugin/WicPixels.h"

namespace velmira::wic {
namespace {

// The header bytes that always hold a WebP picture's size and kind.
constexpr std::size_t kHeadBytes = 64;
// A piece holds a few rows of a photo 8000 pixels wide, and many more of a smooth picture.
constexpr std::size_t kPieceBytes = 4 * 1024;
// The whole picture is read in larger pieces: there is no row to stop at.
constexpr std::size_t kWholePieceBytes = 64 * 1024;

struct DecoderDeleter {
    void operator()(WebPIDecoder* decoder) const noexcept { WebPIDelete(decoder); }
};

class WebpPicture final : public LibraryPicture {
public:
    WebpPicture(ByteSource& source, const WebPBitstreamFeatures& features)
        : cursor_(source), width_(static_cast<std::uint32_t>(features.width)),
          height_(static_cast<std::uint32_t>(features.height)) {}

    std::uint32_t Width() const override { return width_; }
    std::uint32_t Height() const override { return height_; }

    void ReadTopLeft(std::uint32_t columns, std::uint32_t rows, const RowSink& sink) override {
        WebPDecoderConfig config;
        if (!WebPInitDecoderConfig(&config)) throw std::runtime_error("libwebp of another version");
        config.options.use_cropping = columns < width_ || rows < height_;
        config.options.crop_width = static_cast<int>(columns);
        config.options.crop_height = static_cast<int>(rows);
        std::vector<std::uint8_t> bgra(std::size_t{columns} * rows * 4);
        config.output.colorspace = MODE_BGRA;
        config.output.is_external_memory = 1;
        config.output.u.RGBA.rgba = bgra.data();
        config.output.u.RGBA.stride = static_cast<int>(columns * 4);
        config.output.u.RGBA.size = bgra.size();
        const std::unique_ptr<WebPIDecoder, DecoderDeleter> decoder(WebPIDecode(nullptr, 0, &config));
        if (!decoder) throw std::bad_alloc();
        std::vector<std::uint8_t> piece(rows < height_ ? kPieceBytes : kWholePieceBytes);
        for (VP8StatusCode status = VP8_STATUS_SUSPENDED; status != VP8_STATUS_OK;) {
            const std::size_t got = cursor_.Read(piece.data(), piece.size());
            if (got == 0) throw std::runtime_error("WebP cut short");
            status = WebPIAppend(decoder.get(), piece.data(), got);
            if (status != VP8_STATUS_OK && status != VP8_STATUS_SUSPENDED) throw std::runtime_error("broken WebP");
            int lastRow = 0;
            if (status == VP8_STATUS_SUSPENDED && WebPIDecGetRGB(decoder.get(), &lastRow, nullptr, nullptr, nullptr) &&
                lastRow >= static_cast<int>(rows))
                break;
        }
        std::vector<std::uint32_t> out(columns);
        for (std::uint32_t y = 0; y < rows; ++y) {
            BgraRowOverWhite(&bgra[std::size_t{y} * columns * 4], out.data(), columns);
            sink(y, out.data());
        }
    }

private:
    SourceCursor cursor_;
    std::uint32_t width_;
    std::uint32_t height_;
};

}  // namespace

std::unique_ptr<LibraryPicture> OpenWebp(ByteSource& source) {
    std::uint8_t head[kHeadBytes];
    const std::size_t got = source.ReadAt(0, head, sizeof head);
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(head, got, &features) != VP8_STATUS_OK) throw std::runtime_error("broken WebP header");
    if (features.has_animation) return nullptr;
    if (features.width <= 0 || features.height <= 0) throw std::runtime_error("empty WebP");
    return std::make_unique<WebpPicture>(source, features);
}

}  // namespace velmira::wic
