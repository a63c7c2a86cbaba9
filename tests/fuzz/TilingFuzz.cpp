// libFuzzer target: tiling with whatever size a picture file or plug-in declares (zero, negative, huge).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzInput.h"
#include "image/Tiling.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmira::fuzz::FuzzInput in(data, size);
    const auto w = static_cast<int>(in.U32());
    const auto h = static_cast<int>(in.U32());
    // Areas up to a few preview sizes; pictures of any size.
    const int areaW = static_cast<int>(in.U32() % 400);
    const int areaH = static_cast<int>(in.U32() % 400);
    const std::vector<velmira::TileRect> tiles = velmira::TileRects(w, h, areaW, areaH);
    long long covered = 0;
    for (const velmira::TileRect& t : tiles) {
        FUZZ_CHECK(t.left >= 0 && t.top >= 0 && t.right <= areaW && t.bottom <= areaH);
        FUZZ_CHECK(t.Width() > 0 && t.Height() > 0 && t.Width() <= w && t.Height() <= h);
        covered += static_cast<long long>(t.Width()) * t.Height();
    }
    // Tiles neither overlap nor leave gaps: together they cover the area exactly, or nothing at all.
    FUZZ_CHECK(covered == 0 || covered == static_cast<long long>(areaW) * areaH);
    return 0;
}
