// libFuzzer target: what a plug-in hands back. The input is the 28-byte picture record as the plug-in left it,
// the size of the pixel block, and the bitmap-info block. Both blocks are copied into heap blocks of exactly
// their stated size; when the check accepts them, every byte that GDI's conversion would read from them is
// read here too, so a check that lets a block through that is too short for its header shows as an overrun;
// then the plain form the host hands to the conversion is made from exactly those bytes and checked again, and
// the BMP reader converts the visible part from it and the pixel block in place.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "FuzzInput.h"
#include "picture/BmpDecoder.h"
#include "spihost/SpiPictureCheck.h"

namespace {

std::uint32_t U32At(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24; }
std::uint16_t U16At(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// Reads [0, n) of a block so that the address sanitizer sees each byte.
unsigned Touch(const unsigned char* block, std::size_t n) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += block[i];
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < velmira::kPictureInfoSize) return 0;
    unsigned char record[velmira::kPictureInfoSize];
    std::memcpy(record, data, sizeof record);
    velmira::fuzz::FuzzInput in(data + sizeof record, size - sizeof record);

    // The handle is released only where a plug-in really puts it: never a value from the sentinel's range.
    const std::uint32_t handle = velmira::PictureInfoTextHandle(record);
    FUZZ_CHECK(handle == 0 || (handle >> 16) != 0xFFFF);

    const std::size_t pixelSize = in.U32() % (1u << 20);
    const std::string_view infoBytes = in.Rest();
    auto info = std::make_unique<unsigned char[]>(infoBytes.size() + 1);
    std::memcpy(info.get(), infoBytes.data(), infoBytes.size());
    auto pixels = std::make_unique<unsigned char[]>(pixelSize + 1);

    velmira::SpiPictureBlocks blocks;
    blocks.info = infoBytes.empty() ? nullptr : info.get();
    blocks.infoSize = infoBytes.size();
    blocks.pixelSize = pixelSize;
    blocks.width = static_cast<std::int32_t>(U32At(record + 8));
    blocks.height = static_cast<std::int32_t>(U32At(record + 12));
    velmira::SpiPictureLayout layout;
    if (velmira::CheckSpiPicture(blocks, &layout) != velmira::SpiPictureVerdict::Ok) return 0;

    // Accepted: the sizes are sane, and the blocks hold what GDI reads from them, worked out here again.
    FUZZ_CHECK(blocks.width >= 1 && blocks.width <= velmira::kMaxSpiPictureSide);
    FUZZ_CHECK(blocks.height >= 1 && blocks.height <= velmira::kMaxSpiPictureSide);
    const unsigned char* h = info.get();
    const std::uint32_t headerSize = U32At(h);
    const bool core = headerSize == 12;
    const std::uint16_t bits = core ? U16At(h + 10) : U16At(h + 14);
    const std::uint32_t compression = core ? 0 : U32At(h + 16);
    const bool runLength = compression == 1 || compression == 2;
    const std::uint64_t depthColours = bits <= 8 ? (1u << bits) : 0;
    const std::uint64_t clrUsed = core ? 0 : U32At(h + 32);
    const std::uint64_t colours = clrUsed != 0 && clrUsed < depthColours ? clrUsed : depthColours;
    const std::uint64_t masks = compression == 3 ? 12 : 0;
    const std::uint64_t tableAt = headerSize + (headerSize == 40 ? masks : 0);
    // The header, the masks (inside a larger header, or between a 40-byte one and the table) and the table.
    const std::uint64_t infoNeeded = tableAt + colours * (core ? 3 : 4);
    FUZZ_CHECK(infoNeeded <= blocks.infoSize);
    const std::uint64_t stride = (static_cast<std::uint64_t>(blocks.width) * bits + 31) / 32 * 4;
    const std::uint64_t pixelsNeeded = runLength ? U32At(h + 20) : stride * static_cast<std::uint64_t>(blocks.height);
    FUZZ_CHECK(pixelsNeeded <= pixelSize && pixelsNeeded == layout.pixelBytes);
    FUZZ_CHECK(layout.colours == colours && layout.bits == bits && layout.compression == compression);
    // Exact-sized copies: one byte too many read is an overrun.
    const std::size_t infoRead = static_cast<std::size_t>(infoNeeded);
    auto exactInfo = std::make_unique<unsigned char[]>(infoRead);
    std::memcpy(exactInfo.get(), h, infoRead);
    auto exactPixels = std::make_unique<unsigned char[]>(static_cast<std::size_t>(pixelsNeeded));
    volatile unsigned sink = Touch(exactInfo.get(), infoRead) +
                             Touch(exactPixels.get(), static_cast<std::size_t>(pixelsNeeded));
    (void)sink;

    // The plain form made for the conversion reads only those bytes, passes the check again and describes the
    // same picture; its rows fit the room made for them.
    velmira::SpiPictureBlocks exact = blocks;
    exact.info = exactInfo.get();
    exact.infoSize = infoRead;
    const std::vector<unsigned char> canonical = velmira::CanonicalSpiInfo(exact, layout);
    velmira::SpiPictureBlocks rewritten = blocks;
    rewritten.info = canonical.data();
    rewritten.infoSize = canonical.size();
    rewritten.pixelSize = static_cast<std::size_t>(pixelsNeeded);
    velmira::SpiPictureLayout again;
    FUZZ_CHECK(velmira::CheckSpiPicture(rewritten, &again) == velmira::SpiPictureVerdict::Ok);
    FUZZ_CHECK(canonical.size() <= velmira::kMaxCanonicalSpiInfo && again.topDown == layout.topDown &&
               again.headerSize == 40);
    FUZZ_CHECK(again.pixelBytes == layout.pixelBytes && again.colours == layout.colours && again.bits == bits);
    // The BMP reader takes the visible part from the blocks in place.
    velmira::SpiDibFile file(exact, layout, exactPixels.get());
    try {
        velmira::DecodeBmp(file, velmira::kPreviewWidth, velmira::kPreviewHeight);
    } catch (const std::runtime_error&) {
        // a picture the reader refuses is refused; reading outside the blocks is what must not happen
    }
    return 0;
}
