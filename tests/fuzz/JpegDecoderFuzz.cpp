// libFuzzer target: any bytes through the JPEG decoder at the preview's size.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "image/JpegDecoder.h"
#include "image/MemoryByteSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmira::MemoryByteSource source(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        const velmira::DecodedPicture p = velmira::DecodeJpeg(source, velmira::kPreviewWidth, velmira::kPreviewHeight);
        if (p.pixels.size() != static_cast<std::size_t>(p.visibleWidth) * p.visibleHeight) __builtin_trap();
    } catch (const std::runtime_error&) {
    }
    return 0;
}
