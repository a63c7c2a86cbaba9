#pragma once
// What the load benchmark's parts share: the pictures it measures (photos of 0.3 to 48 megapixels in each
// format) and their file names, and natively the reader that stands in for the program's.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "picture/ByteSource.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace loadbench {

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

inline constexpr Kind J = Kind::Jpeg;
inline const Case kCases[] = {
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

inline const char* Extension(Kind kind) {
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

inline const char* Prefix(Kind kind) {
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

inline std::string FileName(const Case& c) {
    return std::string(Prefix(c.kind)) + std::to_string(c.width) + "x" + std::to_string(c.height) +
           (c.progressive ? "-progressive" : "") + (c.restartRows ? "-rst" + std::to_string(c.restartRows) + "row" : "") +
           (c.restartMcus ? "-rst" + std::to_string(c.restartMcus) + "mcu" : "") + (c.plain ? "-plain" : "") +
           Extension(c.kind);
}

inline std::string Join(const std::string& dir, const std::string& name) {
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
#endif

}  // namespace loadbench
