// The restart-marker cut against the decoder that reads every row in order, which the decoder's own
// tests hold against libjpeg's full decode: same pictures, same errors, whatever the file holds.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "image/JpegDecoder.h"
#include "image/JpegRestartCut.h"
#include "picture/MemoryByteSource.h"
#include "support/CountingSource.h"
#include "support/PictureWriter.h"

namespace velmira {
namespace {

using test::JpegColor;
using test::JpegFormat;
using test::TestPicture;

// Detail everywhere: smooth gradients would leave most blocks with a DC value and nothing else.
TestPicture BusyPicture(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    TestPicture p{width, height, {}};
    p.values.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t noise = random() & 0x3F3F3F;
            const std::uint32_t r = (x * 255 / width) & 0xC0, g = (y * 255 / height) & 0xC0, b = ((x ^ y) & 0x40) << 1;
            p.values.push_back((r << 16 | g << 8 | b) + noise);
        }
    }
    return p;
}

std::optional<JpegCut> Cut(const std::string& file, int maxWidth = kPreviewWidth, int maxHeight = kPreviewHeight) {
    MemoryByteSource source(file);
    return CutJpegAtRestarts(source, maxWidth, maxHeight);
}

// What a decode ends in: the picture, or the text of the error.
struct Outcome {
    std::string error;
    DecodedPicture picture;
};

template <typename Decoder>
Outcome Decode(Decoder decode, const std::string& file, int maxWidth = kPreviewWidth, int maxHeight = kPreviewHeight) {
    MemoryByteSource source(file);
    Outcome outcome;
    try {
        outcome.picture = decode(source, maxWidth, maxHeight);
    } catch (const std::runtime_error& e) {
        outcome.error = e.what();
    }
    return outcome;
}

// The cut (where it applies) and the row-by-row decode end alike.
void ExpectSameAsRowByRow(const std::string& file, const std::string& what, int maxWidth = kPreviewWidth,
                          int maxHeight = kPreviewHeight) {
    const Outcome cut = Decode(DecodeJpeg, file, maxWidth, maxHeight);
    const Outcome rows = Decode(DecodeJpegRowByRow, file, maxWidth, maxHeight);
    ASSERT_EQ(cut.error, rows.error) << what;
    ASSERT_EQ(cut.picture.width, rows.picture.width) << what;
    ASSERT_EQ(cut.picture.height, rows.picture.height) << what;
    ASSERT_EQ(cut.picture.visibleWidth, rows.picture.visibleWidth) << what;
    ASSERT_EQ(cut.picture.visibleHeight, rows.picture.visibleHeight) << what;
    for (int y = 0; y < cut.picture.visibleHeight; ++y)
        for (int x = 0; x < cut.picture.visibleWidth; ++x)
            ASSERT_EQ(cut.picture.At(x, y), rows.picture.At(x, y)) << what << " at " << x << "," << y;
}

struct Sampling {
    const char* name;
    JpegColor color;
    int h;
    int v;
};

const Sampling kSamplings[] = {
    {"4:4:4", JpegColor::YCbCr, 1, 1}, {"4:2:2", JpegColor::YCbCr, 2, 1}, {"4:2:0", JpegColor::YCbCr, 2, 2},
    {"4:4:0", JpegColor::YCbCr, 1, 2}, {"4:1:1", JpegColor::YCbCr, 4, 1}, {"4:1:0", JpegColor::YCbCr, 4, 2},
    {"3x1", JpegColor::YCbCr, 3, 1},   {"greyscale", JpegColor::Grayscale, 1, 1}, {"RGB", JpegColor::Rgb, 1, 1},
    {"CMYK", JpegColor::Cmyk, 1, 1},   {"YCCK 4:2:0", JpegColor::Ycck, 2, 2},
};

TEST(JpegRestartCutTest, CornerEqualsTheRowByRowDecodeForEverySamplingAndInterval) {
    // A corner smaller than the preview's lets pictures of a few hundred pixels go through the cut; its
    // margins follow the same rule at any size.
    const int cornerWidth = 60, cornerHeight = 50;
    const int sizes[][2] = {{700, 400}, {331, 901}};
    int cuts = 0;
    for (const Sampling& s : kSamplings) {
        const int mcuWidth = s.color == JpegColor::Grayscale ? 8 : 8 * s.h;
        for (const auto& size : sizes) {
            const int perRow = (size[0] + mcuWidth - 1) / mcuWidth;
            // One MCU; a few; one short of, equal to and just over a row; over two rows.
            for (const int interval : {1, 3, perRow - 1, perRow, perRow + 1, 2 * perRow + 3}) {
                for (const bool optimized : {false, true}) {
                    if (interval < 1 || (optimized && s.color != JpegColor::YCbCr)) continue;
                    JpegFormat format{s.color, s.h, s.v, false, 0, 85};
                    format.restartMcus = interval;
                    format.optimizeCoding = optimized;
                    const std::string file = test::EncodeJpeg(format, BusyPicture(size[0], size[1], 7u * interval + size[0]));
                    const std::string what = std::string(s.name) + " " + std::to_string(size[0]) + "x" +
                                             std::to_string(size[1]) + " interval " + std::to_string(interval) +
                                             (optimized ? " optimised" : "");
                    // The comparison means something only where the file really went through the cut: at
                    // least for short intervals and intervals of a row in the wide picture.
                    const bool cut = Cut(file, cornerWidth, cornerHeight).has_value();
                    if (size[0] == 700 && (interval <= 3 || interval == perRow)) {
                        EXPECT_TRUE(cut) << what;
                    }
                    cuts += cut ? 1 : 0;
                    ExpectSameAsRowByRow(file, what, cornerWidth, cornerHeight);
                    ExpectSameAsRowByRow(file, what + " (preview)");
                    if (HasFatalFailure()) return;
                }
            }
        }
    }
    EXPECT_GE(cuts, 7 * 2 * 3 + 4 * 3);
}

TEST(JpegRestartCutTest, CutsOnlyWideBaselineFilesWithRestarts) {
    const TestPicture wide = BusyPicture(1280, 300, 1);
    JpegFormat rowIntervals{JpegColor::YCbCr, 2, 2, false, 1, 85};
    const std::optional<JpegCut> cut = Cut(test::EncodeJpeg(rowIntervals, wide));
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->width, 1280);
    EXPECT_EQ(cut->height, 300);
    // Twelve 16-pixel columns and rows of MCUs: the 163 x 188 corner with one MCU more each way.
    MemoryByteSource cornerFile(cut->bytes);
    const DecodedPicture corner = DecodeJpegRowByRow(cornerFile, 1 << 20, 1 << 20);
    EXPECT_EQ(corner.width, 192);
    EXPECT_EQ(corner.height, 208);
    // Shown whole in height, the cut keeps the picture's own (here odd and past 255 rows); 400 columns shown
    // keep 26 MCUs, past 255 pixels too.
    const std::optional<JpegCut> large = Cut(test::EncodeJpeg(rowIntervals, BusyPicture(2048, 301, 1)), 400, 1 << 20);
    ASSERT_TRUE(large.has_value());
    MemoryByteSource largeFile(large->bytes);
    const DecodedPicture largeCorner = DecodeJpegRowByRow(largeFile, 1 << 20, 1 << 20);
    EXPECT_EQ(largeCorner.width, 416);
    EXPECT_EQ(largeCorner.height, 301);

    // Cameras and editors write EXIF (APP1), other application segments up to APP15 and comments before the
    // frame: nothing in them stops the cut.
    std::string tagged = test::EncodeJpeg(rowIntervals, wide);
    tagged.insert(2, std::string("\xFF\xE1\x00\x08" "Exif\0\0" "\xFF\xEF\x00\x03" "x" "\xFF\xFE\x00\x06" "note", 23));
    EXPECT_TRUE(Cut(tagged)) << "EXIF, APP15 and a comment";

    EXPECT_FALSE(Cut(test::EncodeJpeg({JpegColor::YCbCr, 2, 2, false, 0, 85}, wide))) << "no restart markers";
    EXPECT_FALSE(Cut(test::EncodeJpeg({JpegColor::YCbCr, 2, 2, true, 1, 85}, wide))) << "progressive";
    EXPECT_FALSE(Cut(test::EncodeJpeg(rowIntervals, BusyPicture(640, 300, 1)))) << "not much wider than the preview";
    EXPECT_FALSE(Cut(test::EncodeJpeg(rowIntervals, wide), 0, 188)) << "nothing visible";
    JpegFormat oneLongInterval = rowIntervals;
    oneLongInterval.restartMcus = 80 * 4;  // four rows an interval: the cut would decode most of each row
    EXPECT_FALSE(Cut(test::EncodeJpeg(oneLongInterval, wide))) << "intervals as long as the rows it needs";

    // More than a megabyte of segments the cut would keep: the row decoder reads the file instead.
    std::string padded = test::EncodeJpeg(rowIntervals, wide);
    const std::string app0 = std::string("\xFF\xE0\xFF\xFF", 4) + std::string(0xFFFD, '\0');
    for (int i = 0; i < 17; ++i) padded.insert(2, app0);
    EXPECT_FALSE(Cut(padded)) << "segments past the cap";
    MemoryByteSource paddedFile(padded);
    EXPECT_EQ(DecodeJpeg(paddedFile, 163, 188).width, 1280);
}

TEST(JpegRestartCutTest, TheLoadOfAWidePictureStopsAtTheCorner) {
    // The wide picture's rows hold about 50 times the corner's MCUs; the cut decodes the corner's, and
    // the row-by-row decode all of them. Counted in bytes read, which a busy machine cannot blur.
    JpegFormat format{JpegColor::YCbCr, 2, 2, false, 1, 85};
    const std::string file = test::EncodeJpeg(format, BusyPicture(6000, 600, 3));
    MemoryByteSource bytes(file);
    test::CountingSource source(bytes);
    const DecodedPicture picture = DecodeJpeg(source, kPreviewWidth, kPreviewHeight);
    EXPECT_EQ(picture.width, 6000);
    // All rows down to row 208 are passed over, byte by byte, to find their markers; none below.
    EXPECT_LT(source.bytes, file.size() / 2);
    ExpectSameAsRowByRow(file, "6000 x 600");
}

// Every restart marker's offset in the file.
std::vector<std::size_t> RestartMarkers(const std::string& file) {
    std::vector<std::size_t> found;
    for (std::size_t i = file.find("\xFF\xDA"); i + 1 < file.size(); ++i)
        if (file[i] == '\xFF' && (static_cast<unsigned char>(file[i + 1]) & 0xF8) == 0xD0) found.push_back(i);
    return found;
}

TEST(JpegRestartCutTest, DamagedFilesEndAsTheRowByRowDecodeEnds) {
    JpegFormat format{JpegColor::YCbCr, 2, 2, false, 1, 85};
    const std::string file = test::EncodeJpeg(format, BusyPicture(1280, 400, 5));
    const std::vector<std::size_t> markers = RestartMarkers(file);
    ASSERT_GE(markers.size(), 20u);
    const std::size_t firstData = file.find("\xFF\xDA") + 14;

    // Damage in the second MCU row: right of the corner, and inside it.
    for (const double at : {0.8, 0.05}) {
        std::string damaged = file;
        const std::size_t from = markers[0] + 2, to = markers[1];
        for (std::size_t i = from + static_cast<std::size_t>((to - from) * at), n = 0; n < 12; ++i, ++n) damaged[i] = '\x5A';
        ExpectSameAsRowByRow(damaged, "scrambled at " + std::to_string(at));
        // Damage right of the corner leaves the cut to be made. Inside it, the scrambled bytes may still
        // decode as codes, giving libjpeg's garbage, or not, handing the file to libjpeg: same pixels.
        if (at > 0.5) {
            EXPECT_TRUE(Cut(damaged).has_value());
        }
    }
    // A marker lost, one out of order, a stray end of image, a marker where data was.
    {
        std::string damaged = file;
        damaged.erase(markers[2], 2);
        ExpectSameAsRowByRow(damaged, "marker lost");
        damaged = file;
        damaged[markers[3] + 1] = '\xD6';
        ExpectSameAsRowByRow(damaged, "marker misnumbered");
        damaged = file;
        damaged[markers[4] + 1] = '\xD9';
        ExpectSameAsRowByRow(damaged, "end of image in the data");
        damaged = file;
        const std::size_t middle = (markers[5] + markers[6]) / 2;
        damaged[middle] = '\xFF';
        damaged[middle + 1] = static_cast<char>(0xD0 + 6 % 8);
        ExpectSameAsRowByRow(damaged, "marker made up");
    }
    // Cut anywhere, and random bytes anywhere, headers included.
    for (std::size_t length = 0; length < markers[14]; length += 97)
        ExpectSameAsRowByRow(file.substr(0, length), "cut at " + std::to_string(length));
    std::mt19937 random(11);
    for (int round = 0; round < 150; ++round) {
        std::string damaged = file;
        const std::size_t limit = round % 3 == 0 ? firstData : markers[14];
        for (int n = 0; n < 1 + round % 4; ++n) damaged[random() % limit] = static_cast<char>(random());
        ExpectSameAsRowByRow(damaged, "random damage, round " + std::to_string(round));
        if (HasFatalFailure()) return;
    }
}

TEST(JpegRestartCutTest, BadHuffmanTablesKeepLibjpegsError) {
    // The cut writes tables of its own; a file whose tables libjpeg refuses must still be refused.
    std::string file = test::EncodeJpeg({JpegColor::YCbCr, 2, 2, false, 1, 85}, BusyPicture(1280, 240, 9));
    ASSERT_TRUE(Cut(file).has_value());
    const std::size_t dht = file.find("\xFF\xC4");
    ASSERT_NE(dht, std::string::npos);
    std::string allOnes = file;
    // The first table's one-bit codes: two of them would make the code "1", which no table may hold.
    allOnes[dht + 5] = '\x02';
    EXPECT_NE(Decode(DecodeJpegRowByRow, allOnes).error, "");
    ExpectSameAsRowByRow(allOnes, "all-ones code");
    EXPECT_FALSE(Cut(allOnes));
}

}  // namespace
}  // namespace velmira
