// libFuzzer target: what a plug-in hands back. The input is the 28-byte picture record as the plug-in left it,
// the size of the pixel block, and the bitmap-info block. Both blocks are copied into heap blocks of exactly
// their stated size; when the check accepts them, every byte that the conversion (SetDIBits) reads from them is
// read here too, so a check that lets a block through that is too short for its header shows as an overrun.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "FuzzInput.h"
#include "image/SpiPictureCheck.h"

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
    if (velmira::CheckSpiPicture(blocks) != velmira::SpiPictureVerdict::Ok) return 0;

    // Accepted: the sizes are sane, and the blocks hold what the header says they hold.
    FUZZ_CHECK(blocks.width >= 1 && blocks.width <= velmira::kMaxSpiPictureSide);
    FUZZ_CHECK(blocks.height >= 1 && blocks.height <= velmira::kMaxSpiPictureSide);
    const unsigned char* h = info.get();
    const std::uint32_t headerSize = U32At(h);
    const std::uint16_t bits = U16At(h + 14);
    const std::uint32_t compression = U32At(h + 16);
    const std::uint32_t clrUsed = U32At(h + 32);
    const std::uint64_t colours = clrUsed != 0 ? clrUsed : (bits <= 8 ? (1u << bits) : 0);
    const std::uint64_t masks = compression == 3 && headerSize == 40 ? 12 : 0;
    const std::uint64_t infoNeeded = headerSize + masks + colours * 4;
    FUZZ_CHECK(infoNeeded <= blocks.infoSize);
    const std::uint64_t stride = (static_cast<std::uint64_t>(blocks.width) * bits + 31) / 32 * 4;
    const std::uint64_t pixelsNeeded = stride * static_cast<std::uint64_t>(blocks.height);
    FUZZ_CHECK(pixelsNeeded <= pixelSize);
    // Exact-sized copies: one byte too many read is an overrun.
    auto exactInfo = std::make_unique<unsigned char[]>(blocks.infoSize);
    std::memcpy(exactInfo.get(), h, blocks.infoSize);
    auto exactPixels = std::make_unique<unsigned char[]>(pixelSize);
    volatile unsigned sink = Touch(exactInfo.get(), static_cast<std::size_t>(infoNeeded)) +
                             Touch(exactPixels.get(), static_cast<std::size_t>(pixelsNeeded));
    (void)sink;
    return 0;
}
