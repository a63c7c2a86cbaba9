#pragma once
// The formats that velmira_wic.spi decodes with their own libraries rather than the system's codecs, which
// decode a whole picture before any part of it can be had: PNG (libpng), GIF (giflib), TIFF (libtiff) and WebP
// (libwebp). Each reads no further into the file than the rows asked for need, as far as its format allows.
// Pure: no platform calls, so that they build natively too.
#include <cstdint>
#include <functional>
#include <memory>

#include "picture/ByteSource.h"

namespace velmira::wic {

// Receives row `y` of a picture (top row 0): its first `columns` pixels, laid over white, as 0x00RRGGBB.
using RowSink = std::function<void(std::uint32_t y, const std::uint32_t* pixels)>;

// One picture opened by its format's library.
class LibraryPicture {
public:
    virtual ~LibraryPicture() = default;
    virtual std::uint32_t Width() const = 0;
    virtual std::uint32_t Height() const = 0;
    // Hands the first `rows` rows, each cut to its first `columns` pixels, to `sink` in order from the top
    // (both at most the picture's size, at least 1). Called once. Throws std::runtime_error for a damaged file.
    virtual void ReadTopLeft(std::uint32_t columns, std::uint32_t rows, const RowSink& sink) = 0;
};

// The picture in `source` when its first bytes are PNG, GIF, TIFF or WebP and the library reads this kind of
// it; none for any other file, and for the kinds a library does not read (a TIFF of floating-point samples, an
// animated WebP), which the system's codecs are left to try. Throws std::runtime_error for a damaged file.
std::unique_ptr<LibraryPicture> OpenLibraryPicture(ByteSource& source);

// The pictures that need no more than a library's size limits allow: a side of at most 2^16 and 2^28 pixels.
constexpr std::uint32_t kMaxLibrarySide = 65536;
constexpr std::uint64_t kMaxLibraryPixels = std::uint64_t{1} << 28;

// Reads a source from its start onwards, as the libraries ask for bytes.
class SourceCursor {
public:
    explicit SourceCursor(ByteSource& source) noexcept : source_(source) {}
    std::size_t Read(void* buffer, std::size_t count) {
        const std::size_t got = source_.ReadAt(at_, buffer, count);
        at_ += got;
        return got;
    }
    void Seek(std::uint64_t at) noexcept { at_ = at; }
    std::uint64_t Tell() const noexcept { return at_; }
    std::uint64_t Size() { return source_.Size(); }

private:
    ByteSource& source_;
    std::uint64_t at_ = 0;
};

// Each format's own opener (none when the library does not read this kind of file).
std::unique_ptr<LibraryPicture> OpenPng(ByteSource& source);
std::unique_ptr<LibraryPicture> OpenGif(ByteSource& source);
std::unique_ptr<LibraryPicture> OpenTiff(ByteSource& source);
std::unique_ptr<LibraryPicture> OpenWebp(ByteSource& source);

}  // namespace velmira::wic
