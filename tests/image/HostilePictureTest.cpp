// Every hostile picture through the decoder its extension chooses, at the preview's size, as the loader calls
// them: each gives the decoder's message or a sound picture without allocating more than the visible region
// needs. This executable counts its own heap: operator new is replaced below.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <new>
#include <stdexcept>
#include <string>

#include "picture/BmpDecoder.h"
#include "picture/DecodedPicture.h"
#include "image/JpegDecoder.h"
#include "picture/MemoryByteSource.h"
#include "support/HostilePictures.h"

namespace {

// Live and peak bytes handed out by operator new; libjpeg's own malloc calls are measured by the
// resident size below instead (natively only).
std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};
std::atomic<std::size_t> largestBlock{0};

void* Allocate(std::size_t size) {
    // A size header in front of the block lets delete know how much it gives back.
    void* block = std::malloc(size + alignof(std::max_align_t));
    if (!block) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    const std::size_t live = liveBytes += size;
    for (std::size_t peak = peakBytes; live > peak && !peakBytes.compare_exchange_weak(peak, live);) {
    }
    for (std::size_t big = largestBlock; size > big && !largestBlock.compare_exchange_weak(big, size);) {
    }
    return static_cast<char*>(block) + alignof(std::max_align_t);
}

void Free(void* p) noexcept {
    if (!p) return;
    void* block = static_cast<char*>(p) - alignof(std::max_align_t);
    liveBytes -= *static_cast<std::size_t*>(block);
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }

namespace velmira {
namespace {

using test::HostileKind;
using test::HostilePicture;

// The visible region's pixels, the JPEG reader's input buffer and a BMP row or palette with room to spare.
constexpr std::size_t kHeapBound = 4u << 20;
// What libjpeg may take besides, natively measured as growth of the peak resident size: its row buffers
// for the widest frame it takes, far from the gigabytes that the declared sizes would need whole.
constexpr long kResidentBoundKb = 96 * 1024;

#if defined(__linux__)
// The peak resident size is reset so that each decode is measured on its own.
void ResetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }
// A size of the process's status in kB: "VmHWM:" the peak resident size, "VmRSS:" the resident size now.
long StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == field) {
            status >> value;
            return value;
        }
        status.ignore(1 << 10, '\n');
    }
    return 0;
}
#endif

struct Measured {
    std::string failure;  // empty when the outcome was acceptable
    std::size_t heapPeak = 0;
    long residentGrowthKb = 0;
};

bool IsJpegMessage(const std::string& text) {
    const std::string prefix = JpegErrorMessage(0).substr(0, JpegErrorMessage(0).size() - 1);
    if (text.compare(0, prefix.size(), prefix) != 0 || text.size() == prefix.size()) return false;
    return text.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

std::string CheckSound(const DecodedPicture& p) {
    if (p.width <= 0 || p.height <= 0) return "a picture without width or height";
    if (p.visibleWidth != std::min(p.width, kPreviewWidth) || p.visibleHeight != std::min(p.height, kPreviewHeight))
        return "visible region not the preview's part";
    if (p.pixels.size() != static_cast<std::size_t>(p.visibleWidth) * p.visibleHeight) return "pixel count wrong";
    return {};
}

Measured DecodeAsTheLoaderDoes(const HostilePicture& picture) {
    Measured m;
#if defined(__linux__)
    ResetPeakResident();
    const long residentBefore = StatusKb("VmRSS:");
#endif
    const std::size_t heapBefore = liveBytes;
    peakBytes = heapBefore;
    try {
        MemoryByteSource source(picture.bytes);
        const DecodedPicture p = picture.kind == HostileKind::Bmp
                                     ? DecodeBmp(source, kPreviewWidth, kPreviewHeight)
                                     : DecodeJpeg(source, kPreviewWidth, kPreviewHeight);
        m.failure = CheckSound(p);
    } catch (const std::runtime_error& e) {
        const bool expected = picture.kind == HostileKind::Bmp ? std::string(e.what()) == kBitmapErrorMessage
                                                               : IsJpegMessage(e.what());
        if (!expected) m.failure = std::string("unexpected message: ") + e.what();
    }
    m.heapPeak = peakBytes - heapBefore;
#if defined(__linux__)
    m.residentGrowthKb = StatusKb("VmHWM:") - residentBefore;
#endif
    return m;
}

TEST(HostilePictureTest, EveryHostileFileGivesTheMessageOrASoundPictureWithinBounds) {
    const std::vector<HostilePicture> corpus = test::HostilePictures(true);
    ASSERT_GT(corpus.size(), 300u);
    std::size_t largestHeap = 0;
    long largestResident = 0;
    std::string largestResidentName;
    for (const HostilePicture& picture : corpus) {
        SCOPED_TRACE(picture.name);
        const Measured m = DecodeAsTheLoaderDoes(picture);
        EXPECT_EQ(m.failure, "");
        EXPECT_LT(m.heapPeak, kHeapBound);
        EXPECT_LT(m.residentGrowthKb, kResidentBoundKb);
        largestHeap = std::max(largestHeap, m.heapPeak);
        if (m.residentGrowthKb > largestResident) {
            largestResident = m.residentGrowthKb;
            largestResidentName = picture.name;
        }
    }
    std::printf("%zu hostile pictures: largest heap peak %zu bytes, largest resident growth %ld kB (%s)\n",
                corpus.size(), largestHeap, largestResident, largestResidentName.c_str());
}

// The outcomes that tell the checks above are not passing by accident: a refused file is refused for what it
// is, a sound one is decoded.
TEST(HostilePictureTest, KnownFilesGiveTheirKnownOutcome) {
    struct Case {
        const char* name;
        bool decodes;
    };
    const Case cases[] = {
        {"bmp-empty", false},          {"bmp-width-max", false},        {"bmp-height-min", false},
        {"bmp-bitcount-7", false},     {"bmp-offset-past-end", false},  {"bmp-3600-megapixels", false},
        {"bmp-rle8-huge-declared", true}, {"bmp-rle8-runs-past-row", true}, {"bmp-rle8-endless-lines", true},
        {"jpeg-empty", false},         {"jpeg-greyscale", true},        {"jpeg-cmyk", true},
        {"jpeg-ycck", true},           {"jpeg-huffman-counts-overflow", false},
        {"jpeg-progressive-16000-square", false}, {"jpeg-baseline-65500-wide", true},
        {"jpeg-baseline-16384-square", true},
    };
    const std::vector<HostilePicture> corpus = test::HostilePictures(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto it = std::find_if(corpus.begin(), corpus.end(), [&](const HostilePicture& p) { return p.name == c.name; });
        ASSERT_NE(it, corpus.end());
        MemoryByteSource source(it->bytes);
        bool decoded = true;
        try {
            if (it->kind == HostileKind::Bmp) DecodeBmp(source, kPreviewWidth, kPreviewHeight);
            else DecodeJpeg(source, kPreviewWidth, kPreviewHeight);
        } catch (const std::runtime_error&) {
            decoded = false;
        }
        EXPECT_EQ(decoded, c.decodes);
    }
}

}  // namespace
}  // namespace velmira
