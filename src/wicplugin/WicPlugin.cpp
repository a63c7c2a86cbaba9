// The exports of velmira_wic.spi: the image plug-in interface, and an export of our own for the part of a picture
// that is shown. PNG, GIF, TIFF and WebP are decoded with their own libraries (LibraryPicture), which can stop
// after the rows shown; every other format through the imaging component, the system's codecs. No exception and
// no COM reference leaves an export; every failure becomes one of the interface's codes.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "picture/FileByteSource.h"
#include "picture/MemoryByteSource.h"
#include "spi/SpiInterface.h"
#include "wicplugin/DecoderRegistry.h"
#include "wicplugin/LibraryPicture.h"
#include "wicplugin/WicDecode.h"
#include "wicplugin/WicPixels.h"
#include "ui/UniqueHandle.h"

namespace {

using namespace velmira::wic;

// The host reads the header this far at most; so do we.
constexpr DWORD kHeaderBytes = 2048;
// One combined pattern and description pair: the host keeps only the last pair a plug-in reports.
constexpr const char kCorePattern[] = "*.png;*.gif;*.tif;*.tiff;*.webp;*.ico";
constexpr const char kDescription[] = "PNG/GIF/TIFF/WebP/ICO ﾌｧｲﾙ";
constexpr const char kPluginName[] = "velmira_wic Ver.1.00 (Windows Imaging Component)";
// The host's information buffer is 260 bytes; the pattern must fit it with its terminator.
constexpr std::size_t kMaxPatternLength = 259;

struct LocalTraits {
    using handle_type = HLOCAL;
    static HLOCAL invalid() noexcept { return nullptr; }
    static void close(HLOCAL h) noexcept { ::LocalFree(h); }
};
using UniqueLocal = ui::UniqueHandle<LocalTraits>;

// Keeps a movable local block locked for one scope.
class ScopedLocalLock {
public:
    explicit ScopedLocalLock(HLOCAL h) : h_(h), p_(::LocalLock(h)) {
        if (!p_) throw DecodeFailure(spi::kMemoryError, "LocalLock");
    }
    ScopedLocalLock(const ScopedLocalLock&) = delete;
    ScopedLocalLock& operator=(const ScopedLocalLock&) = delete;
    ~ScopedLocalLock() { ::LocalUnlock(h_); }
    void* get() const noexcept { return p_; }

private:
    HLOCAL h_;
    void* p_;
};

UniqueLocal AllocateMovable(std::size_t bytes) {
    UniqueLocal block(::LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, bytes));
    if (!block) throw DecodeFailure(spi::kOutOfMemory, "LocalAlloc");
    return block;
}

// The boundary of every export: the interface knows result codes only.
template <class Body>
int Guarded(Body body) noexcept {
    try {
        return body();
    } catch (const DecodeFailure& failure) {
        return failure.code();
    } catch (const std::bad_alloc&) {
        return spi::kOutOfMemory;
    } catch (const std::runtime_error&) {
        return spi::kBrokenData;  // a format's library found the file damaged
    } catch (...) {
        return spi::kInternalError;
    }
}

const std::string& PatternText() {
    // Asked once per host start, as the host loads its plug-ins; the installed codecs do not change while the
    // host runs. The registrations give the list without starting COM and loading the imaging component
    // (which alone took longer than the rest of the host's plug-in loading); the component is asked only when
    // they cannot be read.
    static const std::string pattern = [] {
        try {
            if (std::optional<std::string> registered = RegisteredDecoderPatterns(kCorePattern, kMaxPatternLength))
                return *std::move(registered);
            ScopedComApartment com;
            return InstalledDecoderPatterns(kCorePattern, kMaxPatternLength);
        } catch (...) {
            return std::string(kCorePattern);
        }
    }();
    return pattern;
}

// The first bytes of the file, read through the host's handle; the file pointer is put back where it was.
DWORD ReadHeader(HANDLE file, BYTE* head) {
    LARGE_INTEGER zero{}, where{};
    if (!::SetFilePointerEx(file, zero, &where, FILE_CURRENT)) return 0;
    DWORD got = 0;
    if (!::SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) || !::ReadFile(file, head, kHeaderBytes, &got, nullptr))
        got = 0;
    ::SetFilePointerEx(file, where, nullptr, FILE_BEGIN);
    return got;
}

BITMAPINFOHEADER Dib24Header(std::uint32_t width, std::uint32_t height, const DibLayout& layout) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = static_cast<LONG>(width);
    header.biHeight = static_cast<LONG>(height);  // positive: bottom-up rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = layout.imageSize;
    return header;
}

// The picture a request names, opened by its format's library where it has one that reads it, otherwise by the
// imaging component.
class Picture {
public:
    explicit Picture(const PictureRequest& request) {
        if ((request.flag & 7) == 1) {
            if (!request.buf || request.len < 0) throw DecodeFailure(spi::kInternalError, "no memory image");
            source_ = std::make_unique<velmira::MemoryByteSource>(
                std::string_view(request.buf, static_cast<std::size_t>(request.len)));
        } else if (request.len == 0) {
            // A picture further inside a larger file is left to the imaging component, which reads from there.
            try {
                source_ = std::make_unique<velmira::FileByteSource>(request.buf ? request.buf : "");
            } catch (const std::runtime_error&) {
                throw DecodeFailure(spi::kReadError, "cannot open the file");
            }
        }
        if (source_) library_ = OpenLibraryPicture(*source_);
        if (library_) return;
        com_.emplace();
        wic_.emplace(request);
    }

    PictureSize Size() const {
        if (library_) return PictureSize{library_->Width(), library_->Height(), 0, 0};
        return wic_->Size();
    }

    void ReadTopLeft(std::uint32_t columns, std::uint32_t rows, const RowSink& sink) {
        if (library_) {
            library_->ReadTopLeft(columns, rows, sink);
        } else {
            wic_->ReadTopLeft(columns, rows, sink);
        }
    }

private:
    std::unique_ptr<velmira::ByteSource> source_;
    std::unique_ptr<LibraryPicture> library_;
    std::optional<ScopedComApartment> com_;
    std::optional<WicPicture> wic_;
};

// Rows between two calls of the host's progress callback.
constexpr std::uint32_t kProgressRows = 256;

}  // namespace

extern "C" {

int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    return Guarded([&] {
        switch (infono) {
        case 0: return CopyInfoText("00IN", buf, buflen);
        case 1: return CopyInfoText(kPluginName, buf, buflen);
        case 2: return CopyInfoText(PatternText(), buf, buflen);
        case 3: return CopyInfoText(kDescription, buf, buflen);
        default: return 0;
        }
    });
}

int __stdcall IsSupported(LPCSTR /*filename*/, DWORD dw) {
    return Guarded([&] {
        BYTE head[kHeaderBytes];
        const BYTE* bytes = head;
        DWORD size = 0;
        // A value above 0xFFFF is the address of the file's first 2 KB; below it, the host's file handle.
        if (HIWORD(dw) != 0) {
            bytes = reinterpret_cast<const BYTE*>(static_cast<UINT_PTR>(dw));
            size = kHeaderBytes;
        } else {
            size = ReadHeader(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(dw)), head);
        }
        if (DetectCoreFormat(bytes, size) != CoreFormat::Unknown) return 1;
        ScopedComApartment com;
        return AnyDecoderMatches(bytes, size) ? 1 : 0;
    });
}

int __stdcall GetPictureInfo(LPCSTR buf, LONG len, UINT flag, spi::PictureInfo* lpInfo) {
    return Guarded([&] {
        if (!lpInfo) return static_cast<int>(spi::kInternalError);
        const PictureSize size = Picture(PictureRequest{buf, len, flag}).Size();
        *lpInfo = spi::PictureInfo{};
        lpInfo->width = static_cast<LONG>(size.width);
        lpInfo->height = static_cast<LONG>(size.height);
        lpInfo->x_density = size.xDensity;
        lpInfo->y_density = size.yDensity;
        lpInfo->colorDepth = 24;
        lpInfo->hInfo = nullptr;
        return static_cast<int>(spi::kSuccess);
    });
}

int __stdcall GetPicture(LPCSTR buf, LONG len, UINT flag, HANDLE* pHBInfo, HANDLE* pHBm,
                                               spi::ProgressCallback progress, LONG lData) {
    return Guarded([&] {
        if (!pHBInfo || !pHBm) return static_cast<int>(spi::kInternalError);
        Picture picture(PictureRequest{buf, len, flag});
        const PictureSize size = picture.Size();
        const auto layout = Dib24Layout(size.width, size.height);
        if (!layout) return static_cast<int>(size.width && size.height ? spi::kOutOfMemory : spi::kBrokenData);

        UniqueLocal info = AllocateMovable(sizeof(BITMAPINFO));
        UniqueLocal pixels = AllocateMovable(layout->imageSize);
        {
            ScopedLocalLock infoLock(info.get());
            static_cast<BITMAPINFO*>(infoLock.get())->bmiHeader = Dib24Header(size.width, size.height, *layout);
            ScopedLocalLock pixelLock(pixels.get());
            auto* bits = static_cast<std::uint8_t*>(pixelLock.get());
            picture.ReadTopLeft(size.width, size.height, [&](std::uint32_t y, const std::uint32_t* row) {
                if (progress && y % kProgressRows == 0 && progress(static_cast<int>(y), static_cast<int>(size.height), lData))
                    throw DecodeFailure(spi::kAborted, "aborted");
                std::uint8_t* bgr = bits + BottomUpRowOffset(y, size.height, layout->stride);
                for (std::uint32_t x = 0; x < size.width; ++x, bgr += 3) {
                    bgr[0] = static_cast<std::uint8_t>(row[x]);
                    bgr[1] = static_cast<std::uint8_t>(row[x] >> 8);
                    bgr[2] = static_cast<std::uint8_t>(row[x] >> 16);
                }
            });
            if (progress) progress(static_cast<int>(size.height), static_cast<int>(size.height), lData);
        }
        *pHBInfo = info.release();
        *pHBm = pixels.release();
        return static_cast<int>(spi::kSuccess);
    });
}

// Ours: the size, and the top-left part only, read no further than the format allows.
int __stdcall VelmiraGetPictureRegion(LPCSTR buf, LONG len, UINT flag, LONG maxWidth, LONG maxHeight,
                               spi::PictureRegion* region, DWORD* pixels) {
    return Guarded([&] {
        if (!region || !pixels || maxWidth < 1 || maxHeight < 1) return static_cast<int>(spi::kInternalError);
        Picture picture(PictureRequest{buf, len, flag});
        const PictureSize size = picture.Size();
        if (size.width == 0 || size.height == 0) return static_cast<int>(spi::kBrokenData);
        const std::uint32_t columns = std::min<std::uint32_t>(size.width, static_cast<std::uint32_t>(maxWidth));
        const std::uint32_t rows = std::min<std::uint32_t>(size.height, static_cast<std::uint32_t>(maxHeight));
        picture.ReadTopLeft(columns, rows, [&](std::uint32_t y, const std::uint32_t* row) {
            std::copy(row, row + columns, pixels + std::size_t{y} * columns);
        });
        *region = spi::PictureRegion{static_cast<LONG>(size.width), static_cast<LONG>(size.height),
                                     static_cast<LONG>(columns), static_cast<LONG>(rows)};
        return static_cast<int>(spi::kSuccess);
    });
}

int __stdcall GetPreview(LPCSTR, LONG, UINT, HANDLE*, HANDLE*, spi::ProgressCallback, LONG) {
    return spi::kNotImplemented;
}

int __stdcall GetArchiveInfo(LPCSTR, LONG, UINT, HLOCAL*) { return spi::kNotImplemented; }

int __stdcall GetFile(LPCSTR, LONG, LPSTR, UINT, spi::ProgressCallback, LONG) {
    return spi::kNotImplemented;
}

}  // extern "C"
