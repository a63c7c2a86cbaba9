// libFuzzer target: any bytes through the BMP reader, at the preview's size and at a larger size
// (an unlimited one would spend the time filling gigabyte buffers that tiny RLE files can declare).
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "picture/BmpDecoder.h"
#include "picture/MemoryByteSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmira::MemoryByteSource source(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const int limit : {velmira::kPreviewWidth, 1024}) {
        try {
            const velmira::DecodedPicture p = velmira::DecodeBmp(source, limit, limit);
            if (p.pixels.size() != static_cast<std::size_t>(p.visibleWidth) * p.visibleHeight) __builtin_trap();
        } catch (const std::runtime_error&) {
        }
    }
    return 0;
}
