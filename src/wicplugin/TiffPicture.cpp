// TIFF through libtiff's RGBA interface, which turns every photometric kind it knows (bilevel, grey, palette,
// RGB, CMYK, YCbCr, CIE L*a*b*...) into 8-bit RGBA: the first page, its rows as they are stored. Only the strips
// or tiles under the rows and columns asked for are read and decoded; a strip that reaches further is decoded only
// as far as the last row asked for. A compression the library was built without is left to the system's codecs.
#include <tiffio.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "wicplugin/LibraryPicture.h"

namespace velmira::wic {
namespace {

// Rows are fetched in bands of about this many bytes of RGBA, so that the whole of a large page is never held.
constexpr std::size_t kBandBytes = std::size_t{4} << 20;

SourceCursor& CursorOf(thandle_t handle) { return *static_cast<SourceCursor*>(handle); }

// No exception may pass through libtiff's C code: a failed read is a failed call.
tmsize_t ReadProc(thandle_t handle, void* data, tmsize_t size) {
    try {
        return static_cast<tmsize_t>(CursorOf(handle).Read(data, static_cast<std::size_t>(size)));
    } catch (...) {
        return -1;
    }
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return -1; }
toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    SourceCursor& cursor = CursorOf(handle);
    try {
        const toff_t base = whence == SEEK_CUR ? cursor.Tell() : whence == SEEK_END ? cursor.Size() : 0;
        cursor.Seek(base + offset);
    } catch (...) {
        return static_cast<toff_t>(-1);
    }
    return cursor.Tell();
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) {
    try {
        return CursorOf(handle).Size();
    } catch (...) {
        return 0;
    }
}
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

// The library's messages would go to the console; the plug-in answers with result codes instead.
void QuietLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

// A pixel of the RGBA interface, whose colour is premultiplied by its alpha, laid over white.
std::uint32_t PremultipliedOverWhite(std::uint32_t abgr) {
    const std::uint32_t a = TIFFGetA(abgr);
    const auto channel = [a](std::uint32_t c) { return std::min<std::uint32_t>(c + 255 - a, 255); };
    return channel(TIFFGetR(abgr)) << 16 | channel(TIFFGetG(abgr)) << 8 | channel(TIFFGetB(abgr));
}

struct TiffCloser {
    void operator()(TIFF* tiff) const noexcept { TIFFClose(tiff); }
};

class TiffPicture final : public LibraryPicture {
public:
    TiffPicture(ByteSource& source, bool& readable) : cursor_(source) {
        QuietLibrary();
        tiff_.reset(TIFFClientOpen("picture", "r", &cursor_, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                   MapProc, UnmapProc));
        if (!tiff_) throw std::runtime_error("broken TIFF header");
        char message[1024] = {};
        std::uint16_t compression = COMPRESSION_NONE;
        TIFFGetFieldDefaulted(tiff_.get(), TIFFTAG_COMPRESSION, &compression);
        readable = TIFFIsCODECConfigured(compression) && TIFFRGBAImageOK(tiff_.get(), message) != 0;
        if (!readable) return;
        if (!TIFFRGBAImageBegin(&image_, tiff_.get(), 0, message)) throw std::runtime_error("broken TIFF");
        begun_ = true;
        // The rows as they are stored, as the system's codecs give them, whatever the orientation tag says.
        image_.orientation = ORIENTATION_TOPLEFT;
        image_.req_orientation = ORIENTATION_TOPLEFT;
        if (image_.width == 0 || image_.height == 0 || image_.width > kMaxLibrarySide ||
            image_.height > kMaxLibrarySide || std::uint64_t{image_.width} * image_.height > kMaxLibraryPixels)
            throw std::runtime_error("TIFF of no size or too large");
    }
    TiffPicture(const TiffPicture&) = delete;
    TiffPicture& operator=(const TiffPicture&) = delete;
    ~TiffPicture() override {
        if (begun_) TIFFRGBAImageEnd(&image_);
    }

    std::uint32_t Width() const override { return image_.width; }
    std::uint32_t Height() const override { return image_.height; }

    void ReadTopLeft(std::uint32_t columns, std::uint32_t rows, const RowSink& sink) override {
        const std::uint32_t band = std::clamp<std::uint32_t>(
            static_cast<std::uint32_t>(kBandBytes / (std::size_t{columns} * 4)), 1, rows);
        std::vector<std::uint32_t> raster(std::size_t{columns} * band);
        std::vector<std::uint32_t> out(columns);
        for (std::uint32_t top = 0; top < rows; top += band) {
            const std::uint32_t count = std::min(band, rows - top);
            image_.row_offset = static_cast<int>(top);
            image_.col_offset = 0;
            if (!TIFFRGBAImageGet(&image_, raster.data(), columns, count)) throw std::runtime_error("broken TIFF data");
            for (std::uint32_t y = 0; y < count; ++y) {
                const std::uint32_t* row = &raster[std::size_t{y} * columns];
                std::transform(row, row + columns, out.begin(), PremultipliedOverWhite);
                sink(top + y, out.data());
            }
        }
    }

private:
    SourceCursor cursor_;
    std::unique_ptr<TIFF, TiffCloser> tiff_;
    TIFFRGBAImage image_{};
    bool begun_ = false;
};

}  // namespace

std::unique_ptr<LibraryPicture> OpenTiff(ByteSource& source) {
    bool readable = false;
    auto picture = std::make_unique<TiffPicture>(source, readable);
    if (!readable) return nullptr;
    return picture;
}

}  // namespace velmira::wic
