// libFuzzer target: any bytes through the bundled plug-in's decoders for PNG, GIF, TIFF and WebP (the formats'
// own libraries and our use of them): the part the preview shows, and a larger part of a small picture.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>

#include "picture/DecodedPicture.h"
#include "picture/MemoryByteSource.h"
#include "wicplugin/LibraryPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmira::MemoryByteSource source(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::uint32_t limit : {std::uint32_t{velmira::kPreviewWidth}, std::uint32_t{1024}}) {
        try {
            const std::unique_ptr<velmira::wic::LibraryPicture> picture = velmira::wic::OpenLibraryPicture(source);
            if (!picture) return 0;
            // A picture that declares a vast size is read only as far as the part asked for.
            const std::uint32_t columns = std::min(picture->Width(), limit);
            const std::uint32_t rows = std::min(picture->Height(), limit);
            std::uint32_t next = 0;
            picture->ReadTopLeft(columns, rows, [&](std::uint32_t y, const std::uint32_t* row) {
                if (y != next++ || (row[columns - 1] >> 24) != 0) __builtin_trap();
            });
            if (next != rows) __builtin_trap();
        } catch (const std::runtime_error&) {
        } catch (const std::bad_alloc&) {
        }
    }
    return 0;
}
