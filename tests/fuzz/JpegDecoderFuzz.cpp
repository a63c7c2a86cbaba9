// libFuzzer target: any bytes through the JPEG decoder at the preview's size, and, where the restart-marker
// cut applies to a small corner (so that small inputs reach it), the cut against decoding every row.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "image/JpegDecoder.h"
#include "image/JpegRestartCut.h"
#include "picture/MemoryByteSource.h"

namespace {

constexpr int kCornerWidth = 16;
constexpr int kCornerHeight = 8;

template <typename Decoder>
std::optional<velmira::DecodedPicture> TryDecode(Decoder decode, std::string_view bytes, int maxWidth, int maxHeight) {
    velmira::MemoryByteSource source(bytes);
    try {
        return decode(source, maxWidth, maxHeight);
    } catch (const std::runtime_error&) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto p = TryDecode(velmira::DecodeJpeg, bytes, velmira::kPreviewWidth, velmira::kPreviewHeight)) {
        if (p->pixels.size() != static_cast<std::size_t>(p->visibleWidth) * p->visibleHeight) __builtin_trap();
    }
    velmira::MemoryByteSource probe(bytes);
    if (velmira::CutJpegAtRestarts(probe, kCornerWidth, kCornerHeight)) {
        const auto cut = TryDecode(velmira::DecodeJpeg, bytes, kCornerWidth, kCornerHeight);
        const auto rows = TryDecode(velmira::DecodeJpegRowByRow, bytes, kCornerWidth, kCornerHeight);
        // Damage below or right of the corner may stop only the row-by-row decode; otherwise they agree.
        if (cut && rows &&
            (cut->width != rows->width || cut->height != rows->height || cut->pixels != rows->pixels))
            __builtin_trap();
    }
    return 0;
}
