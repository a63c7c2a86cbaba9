// The public BMP reader corpus in VELMIRA_TESTDATA/bmpsuite: g = must load correctly, q = questionable,
// b = corrupt, x = unusual signature. Questionable, corrupt and unusual files may load or be refused,
// but never crash, hang or read outside the file (this test runs under ASan/UBSan natively).
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "picture/BmpDecoder.h"
#include "picture/MemoryByteSource.h"

namespace velmira {
namespace {

const std::string kSuite = std::string(VELMIRA_TESTDATA) + "/bmpsuite/";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("missing test file " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

DecodedPicture DecodeFile(const std::string& name, int maxWidth = INT_MAX, int maxHeight = INT_MAX) {
    const std::string bytes = ReadFile(kSuite + name);
    MemoryByteSource source(bytes);
    return DecodeBmp(source, maxWidth, maxHeight);
}

const char* const kGood[] = {
    "pal1.bmp",         "pal1bg.bmp",      "pal1wb.bmp",     "pal4.bmp",       "pal4gs.bmp",     "pal4rle.bmp",
    "pal8-0.bmp",       "pal8.bmp",        "pal8gs.bmp",     "pal8nonsquare.bmp", "pal8os2.bmp", "pal8rle.bmp",
    "pal8topdown.bmp",  "pal8v4.bmp",      "pal8v5.bmp",     "pal8w124.bmp",   "pal8w125.bmp",   "pal8w126.bmp",
    "rgb16-565.bmp",    "rgb16-565pal.bmp", "rgb16.bmp",     "rgb16bfdef.bmp", "rgb24.bmp",      "rgb24pal.bmp",
    "rgb32.bmp",        "rgb32bf.bmp",     "rgb32bfdef.bmp",
};

const char* const kOthers[] = {
    "q/pal1huffmsb.bmp", "q/pal1p1.bmp", "q/pal2.bmp", "q/pal2color.bmp", "q/pal4rlecut.bmp", "q/pal4rletrns.bmp",
    "q/pal8offs.bmp", "q/pal8os2-hs.bmp", "q/pal8os2-sz.bmp", "q/pal8os2sp.bmp", "q/pal8os2v2-16.bmp",
    "q/pal8os2v2-40sz.bmp", "q/pal8os2v2-sz.bmp", "q/pal8os2v2.bmp", "q/pal8oversizepal.bmp", "q/pal8rlecut.bmp",
    "q/pal8rletrns.bmp", "q/rgb16-231.bmp", "q/rgb16-3103.bmp", "q/rgb16faketrns.bmp", "q/rgb24jpeg.bmp",
    "q/rgb24largepal.bmp", "q/rgb24lprof.bmp", "q/rgb24png.bmp", "q/rgb24prof.bmp",
    "q/rgb24rle24.bmp", "q/rgb32-111110.bmp", "q/rgb32-7187.bmp", "q/rgb32-xbgr.bmp", "q/rgb32fakealpha.bmp",
    "q/rgb32h52.bmp", "q/rgba16-1924.bmp", "q/rgba16-4444.bmp", "q/rgba16-5551.bmp", "q/rgba32-1.bmp",
    "q/rgba32-1010102.bmp", "q/rgba32-2.bmp", "q/rgba32-61754.bmp", "q/rgba32-81284.bmp", "q/rgba32abf.bmp",
    "q/rgba32h56.bmp", "q/rgba64.bmp",
    "b/badbitcount.bmp", "b/badbitssize.bmp", "b/baddens1.bmp", "b/baddens2.bmp", "b/badfilesize.bmp",
    "b/badheadersize.bmp", "b/badpalettesize.bmp", "b/badplanes.bmp", "b/badrle.bmp", "b/badrle4.bmp",
    "b/badrle4bis.bmp", "b/badrle4ter.bmp", "b/badrlebis.bmp", "b/badrleter.bmp", "b/badwidth.bmp",
    "b/pal8badindex.bmp", "b/reallybig.bmp", "b/rgb16-880.bmp", "b/rletopdown.bmp", "b/shortfile.bmp",
    "x/ba-bm.bmp",
};

int ChannelDistance(std::uint32_t a, std::uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return worst;
}

TEST(BmpSuiteTest, EveryGoodFileLoadsWhole) {
    for (const char* name : kGood) {
        SCOPED_TRACE(name);
        const DecodedPicture p = DecodeFile(std::string("g/") + name);
        EXPECT_GE(p.width, 124);
        EXPECT_GE(p.height, 32);
        EXPECT_EQ(p.visibleWidth, p.width);
        EXPECT_EQ(p.pixels.size(), static_cast<std::size_t>(p.width) * p.height);
    }
}

TEST(BmpSuiteTest, EncodingsOfTheSamePictureDecodeAlike) {
    // Each family stores one picture in different headers, compressions, row orders or bit-field layouts.
    const std::map<std::string, std::vector<std::string>> families = {
        {"g/pal8.bmp", {"g/pal8-0.bmp", "g/pal8os2.bmp", "g/pal8rle.bmp", "g/pal8topdown.bmp", "g/pal8v4.bmp",
                        "g/pal8v5.bmp", "q/pal8offs.bmp", "q/pal8os2-hs.bmp", "q/pal8os2-sz.bmp", "q/pal8os2sp.bmp",
                        "q/pal8os2v2-16.bmp", "q/pal8os2v2-40sz.bmp", "q/pal8os2v2-sz.bmp", "q/pal8os2v2.bmp",
                        "q/pal8oversizepal.bmp"}},
        {"g/pal4.bmp", {"g/pal4rle.bmp"}},
        {"g/pal1.bmp", {"g/pal1wb.bmp"}},
        {"g/rgb24.bmp", {"g/rgb24pal.bmp", "g/rgb32.bmp", "g/rgb32bf.bmp", "g/rgb32bfdef.bmp", "q/rgb24largepal.bmp",
                         "q/rgb24lprof.bmp", "q/rgb24prof.bmp", "q/rgb32-xbgr.bmp", "q/rgb32fakealpha.bmp",
                         "q/rgb32h52.bmp"}},
        {"g/rgb16.bmp", {"g/rgb16bfdef.bmp", "q/rgb16faketrns.bmp", "q/rgba16-5551.bmp"}},
        {"g/rgb16-565.bmp", {"g/rgb16-565pal.bmp"}},
    };
    for (const auto& [reference, members] : families) {
        const DecodedPicture expected = DecodeFile(reference);
        for (const std::string& member : members) {
            const DecodedPicture p = DecodeFile(member);
            EXPECT_EQ(p.width, expected.width) << member;
            EXPECT_TRUE(p.pixels == expected.pixels) << member << " differs from " << reference;
        }
    }
}

TEST(BmpSuiteTest, SixteenBitFilesStayCloseToTheTrueColourOriginal) {
    const DecodedPicture truth = DecodeFile("g/rgb24.bmp");
    for (const char* name : {"g/rgb16.bmp", "g/rgb16-565.bmp"}) {
        const DecodedPicture p = DecodeFile(name);
        for (std::size_t i = 0; i < p.pixels.size(); ++i)
            ASSERT_LE(ChannelDistance(p.pixels[i], truth.pixels[i]), 4) << name << " pixel " << i;
    }
}

TEST(BmpSuiteTest, GoodFilesShowTheKnownPixels) {
    // Sampled from an independent decoder; 16-bit files may differ by one where readers round differently.
    struct Sample {
        const char* name;
        std::uint32_t pixels[5];  // at (0,0), (126,0), (0,63), (63,32), (100,50)
    };
    const Sample samples[] = {
        {"g/pal1.bmp", {0xFFFFFF, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000}},
        {"g/pal1bg.bmp", {0x40FF40, 0x40FF40, 0x4040FF, 0x40FF40, 0x4040FF}},
        {"g/pal4.bmp", {0xFF0000, 0xFF80FF, 0x000000, 0xFFFFFF, 0x008000}},
        {"g/pal4gs.bmp", {0x8B8B8B, 0xA2A2A2, 0x000000, 0xFFFFFF, 0x747474}},
        {"g/pal8.bmp", {0xFF0000, 0x99AACC, 0x000000, 0xFFFFFF, 0x668066}},
        {"g/pal8gs.bmp", {0x808080, 0xA2A2A2, 0x000000, 0xFFFFFF, 0x6E6E6E}},
        {"g/rgb24.bmp", {0xFF0000, 0x9F9FBD, 0x000000, 0xFFFFFF, 0x6D6D71}},
        {"g/rgb16-565.bmp", {0xFF0000, 0x9C9EBD, 0x000000, 0xFFFFFF, 0x6B6D73}},
        {"g/rgb16.bmp", {0xFF0000, 0x9C9CBD, 0x000000, 0xFFFFFF, 0x6B6B73}},
    };
    const int at[5][2] = {{0, 0}, {126, 0}, {0, 63}, {63, 32}, {100, 50}};
    for (const Sample& s : samples) {
        const DecodedPicture p = DecodeFile(s.name);
        for (int i = 0; i < 5; ++i)
            EXPECT_LE(ChannelDistance(p.At(at[i][0], at[i][1]), s.pixels[i]), 1)
                << s.name << " at " << at[i][0] << "," << at[i][1] << ": " << std::hex << p.At(at[i][0], at[i][1]);
    }
    // Non-square and odd widths (126 wide: rows padded by two bytes).
    EXPECT_EQ(DecodeFile("g/pal8nonsquare.bmp").At(63, 31), 0xFF00FFu);
    EXPECT_EQ(DecodeFile("g/pal8w126.bmp").At(0, 0), 0xFF0000u);
    EXPECT_EQ(DecodeFile("g/pal8w126.bmp").At(100, 50), 0x668066u);
}

TEST(BmpSuiteTest, VisibleRegionOfEveryGoodFileMatchesItsFullDecode) {
    for (const char* name : kGood) {
        const DecodedPicture full = DecodeFile(std::string("g/") + name);
        const DecodedPicture part = DecodeFile(std::string("g/") + name, 50, 20);
        ASSERT_EQ(part.visibleWidth, 50);
        ASSERT_EQ(part.visibleHeight, 20);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 50; ++x) ASSERT_EQ(part.At(x, y), full.At(x, y)) << name << " at " << x << "," << y;
    }
}

TEST(BmpSuiteTest, QuestionableAndBadFilesLoadSoundlyOrAreRefused) {
    for (const char* name : kOthers) {
        for (const int limit : {INT_MAX, 163, 7}) {
            try {
                const DecodedPicture p = DecodeFile(name, limit, limit);
                EXPECT_GT(p.width, 0) << name;
                EXPECT_GT(p.height, 0) << name;
                EXPECT_EQ(p.pixels.size(), static_cast<std::size_t>(p.visibleWidth) * p.visibleHeight) << name;
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), kBitmapErrorMessage) << name;
            }
        }
    }
}

TEST(BmpSuiteTest, FilesWeCannotShowAreRefused) {
    // Compressions the reader does not know, impossible sizes and counts, cut-off data, a foreign signature.
    for (const char* name : {"q/rgb24jpeg.bmp", "q/rgb24png.bmp", "q/rgb24rle24.bmp", "q/pal1huffmsb.bmp",
                             "q/rgba64.bmp", "b/badbitcount.bmp", "b/badplanes.bmp", "b/badwidth.bmp",
                             "b/reallybig.bmp", "b/shortfile.bmp", "b/rletopdown.bmp", "b/badpalettesize.bmp",
                             "x/ba-bm.bmp"}) {
        EXPECT_THROW(DecodeFile(name), std::runtime_error) << name;
    }
}

}  // namespace
}  // namespace velmira
