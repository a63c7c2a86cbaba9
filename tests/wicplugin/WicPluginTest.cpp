// The bundled plug-in velmira_wic.spi, loaded by full path and called exactly as the host calls it: what it says
// it reads, and every format it decodes, from a file, from memory and as the region the host asks for.
#include <gtest/gtest.h>
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "wicplugin/WicPluginCalls.h"
#include "wicplugin/WicDecode.h"

namespace {

using namespace wictest;

TEST_F(WicPluginTest, PluginInfoReportsOneCombinedPairAndHonoursTheBufferLength) {
    auto info = [](int index, int buflen = 260) {
        std::string buf(300, '#');
        const int n = ThePlugin().GetPluginInfo(index, buf.data(), buflen);
        return std::make_pair(n, buf);
    };
    auto [n0, text0] = info(0);
    EXPECT_EQ(n0, 4);
    EXPECT_STREQ(text0.c_str(), "00IN");
    auto [n1, text1] = info(1);
    EXPECT_GT(n1, 0);
    EXPECT_EQ(static_cast<int>(std::strlen(text1.c_str())), n1);
    auto [n2, pattern] = info(2);
    EXPECT_EQ(pattern.rfind("*.png;*.gif;*.tif;*.tiff;*.webp;*.ico", 0), 0u) << pattern.c_str();
    EXPECT_EQ(static_cast<int>(std::strlen(pattern.c_str())), n2);
    EXPECT_LT(n2, 260);
    auto [n3, description] = info(3);
    EXPECT_STREQ(description.c_str(), "PNG/GIF/TIFF/WebP/ICO ﾌｧｲﾙ");
    EXPECT_EQ(n3, 26);
    EXPECT_EQ(info(4).first, 0) << "only one pair";
    EXPECT_EQ(info(5).first, 0);
    std::printf("[ info     ] %s | pattern %s\n", text1.c_str(), pattern.c_str());

    auto [cut, cutText] = info(3, 23);  // "PNG/GIF/TIFF/WebP/ICO ﾌ": the buffer is full, no terminator fits
    EXPECT_EQ(cut, 23);
    EXPECT_EQ(cutText.substr(0, 23), std::string(description.c_str(), 23));
    EXPECT_EQ(cutText[23], '#') << "wrote past buflen";
    auto [roomy, roomyText] = info(0, 5);
    EXPECT_EQ(roomy, 4);
    EXPECT_EQ(roomyText[4], '\0');
    EXPECT_EQ(roomyText[5], '#');
}

TEST_F(WicPluginTest, OtherExportsAnswerNotSupported) {
    HANDLE a = nullptr, b = nullptr;
    HLOCAL archive = nullptr;
    char dest[MAX_PATH] = {};
    EXPECT_EQ(ThePlugin().GetPreview("x.png", 0, 0, &a, &b, nullptr, 0), -1);
    EXPECT_EQ(ThePlugin().GetArchiveInfo("x.png", 0, 0, &archive), -1);
    EXPECT_EQ(ThePlugin().GetFile("x.png", 0, dest, 0, nullptr, 0), -1);
}

// One picture per row: how it is made, and the colours expected at some pixels after compositing.
struct PictureCase {
    const char* name;
    std::function<Bytes()> make;
    int width, height;
    std::vector<std::pair<POINT, Rgb>> expected;
};

std::vector<PictureCase> PictureCases() {
    const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, white{255, 255, 255};
    std::vector<PictureCase> cases;
    cases.push_back({"png rgb", [] {
                         return Png(MakeFrame(GUID_WICPixelFormat24bppBGR, 3, 2, [](UINT x, UINT y) {
                             return Bytes{BYTE(10 * x), BYTE(100 + y), BYTE(200 + x)};  // B, G, R
                         }));
                     },
                     3, 2, {{{0, 0}, {200, 100, 0}}, {{2, 0}, {202, 100, 20}}, {{1, 1}, {201, 101, 10}}}});
    cases.push_back({"png rgba, partial alpha", [] {
                         return Png(MakeFrame(GUID_WICPixelFormat32bppBGRA, 4, 1, [](UINT x, UINT) {
                             const BYTE alpha[] = {128, 0, 255, 64};
                             return Bytes{0, 0, BYTE(x == 2 ? 0 : 255), alpha[x]};  // red, but black at x = 2
                         }));
                     },
                     4, 1, {{{0, 0}, {255, 127, 127}}, {{1, 0}, white}, {{2, 0}, {0, 0, 0}}, {{3, 0}, {255, 191, 191}}}});
    cases.push_back({"png grey", [] {
                         return Png(MakeFrame(GUID_WICPixelFormat8bppGray, 3, 1, [](UINT x, UINT) {
                             return Bytes{BYTE(x * 127)};
                         }));
                     },
                     3, 1, {{{0, 0}, {0, 0, 0}}, {{1, 0}, {127, 127, 127}}, {{2, 0}, {254, 254, 254}}}});
    cases.push_back({"png palette", [] {
                         Frame f = MakeFrame(GUID_WICPixelFormat8bppIndexed, 3, 1, [](UINT x, UINT) {
                             return Bytes{BYTE(x)};
                         });
                         f.palette = {0xFFFF0000, 0xFF00FF00, 0x800000FF};  // ARGB: red, green, half blue
                         return Png(f);
                     },
                     3, 1, {{{0, 0}, red}, {{1, 0}, green}, {{2, 0}, {127, 127, 255}}}});
    cases.push_back({"png 16 bits per channel", [] {
                         return Png(MakeFrame(GUID_WICPixelFormat64bppRGBA, 2, 1, [](UINT x, UINT) {
                             // R, G, B, A as 16-bit words, both bytes alike (see the 48-bit case)
                             return x == 0 ? Bytes{0xFF, 0xFF, 0, 0, 0, 0, 0x80, 0x80}
                                           : Bytes{0, 0, 0x40, 0x40, 0, 0, 0xFF, 0xFF};
                         }));
                     },
                     2, 1, {{{0, 0}, {255, 127, 127}}, {{1, 0}, {0, 64, 0}}}});
    cases.push_back({"png 48-bit rgb", [] {
                         return Png(MakeFrame(GUID_WICPixelFormat48bppRGB, 1, 1, [](UINT, UINT) {
                             // Both bytes of each word alike: Wine's encoder and decoder disagree on
                             // the byte order of 16-bit samples in memory, which is not under test.
                             return Bytes{0x20, 0x20, 0x80, 0x80, 0xFF, 0xFF};
                         }));
                     },
                     1, 1, {{{0, 0}, {32, 128, 255}}}});
    cases.push_back({"gif, first frame of two", [] {
                         Frame first = MakeFrame(GUID_WICPixelFormat8bppIndexed, 2, 2, [](UINT x, UINT y) {
                             return Bytes{BYTE((x + y) % 2)};
                         });
                         first.palette = {0xFFFF0000, 0xFF0000FF};
                         Frame second = first;
                         second.palette = {0xFF00FF00, 0xFF00FF00};
                         return Encode(GUID_ContainerFormatGif, {first, second});
                     },
                     2, 2, {{{0, 0}, red}, {{1, 0}, blue}, {{0, 1}, blue}, {{1, 1}, red}}});
    cases.push_back({"tiff, first page of two", [] {
                         return Encode(GUID_ContainerFormatTiff, {Solid24(5, 3, {0, 255, 0}), Solid24(7, 7, {255, 0, 0})});
                     },
                     5, 3, {{{0, 0}, green}, {{4, 2}, green}}});
    cases.push_back({"ico, largest of three", [] {
                         return Icon({{16, 16, IconDib(16, 16, {255, 0, 0})},
                                      {32, 32, Png(Solid24(32, 32, {0, 255, 0}))},
                                      {24, 24, IconDib(24, 24, {0, 0, 255})}});
                     },
                     32, 32, {{{0, 0}, green}, {{31, 31}, green}}});
    cases.push_back({"bmp, claimed through the installed codecs' own signatures", [] {
                         return Encode(GUID_ContainerFormatBmp, {Solid24(3, 3, {0, 0, 255})});
                     },
                     3, 3, {{{0, 0}, blue}, {{2, 2}, blue}}});
    cases.push_back({"ico, classic dib only", [] { return Icon({{8, 8, IconDib(8, 8, {0, 0, 255})}}); }, 8, 8,
                     {{{0, 0}, blue}, {{7, 7}, blue}}});
    return cases;
}

TEST_F(WicPluginTest, EachFormatIsRecognisedMeasuredAndDecodedFromFileAndMemory) {
    for (const PictureCase& c : PictureCases()) {
        SCOPED_TRACE(c.name);
        const Bytes content = c.make();
        ASSERT_FALSE(content.empty()) << "the encoder could not make this picture";
        TempFile file(content);

        LONG pointerAfter = -1;
        EXPECT_NE(AskWithHandle(file.path(), 5, &pointerAfter), 0);
        EXPECT_EQ(pointerAfter, 5) << "the host's file pointer is put back";
        EXPECT_NE(AskWithBuffer(content), 0);

        spi::PictureInfo info;
        std::memset(&info, 0xCD, sizeof info);
        ASSERT_EQ(ThePlugin().GetPictureInfo(file.path(), 0, 0, &info), spi::kSuccess);
        EXPECT_EQ(info.left, 0);
        EXPECT_EQ(info.top, 0);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        EXPECT_EQ(info.colorDepth, 24);
        EXPECT_EQ(info.hInfo, nullptr) << "the handle sits after the two-byte gap";

        for (const Decoded& d : {DecodeFile(file.path()), DecodeMemory(content)}) {
            ExpectDib(d, c.width, c.height);
            if (d.result != 0) continue;
            for (const auto& [at, colour] : c.expected)
                EXPECT_TRUE(Near(d.At(at.x, at.y), colour)) << "at " << at.x << "," << at.y;
        }
    }
}

// The system codecs' picture of a file, where they read its format, as 0x00RRGGBB rows; empty where they do not.
std::vector<std::uint32_t> DecodedBySystemCodecs(const std::string& path) {
    ComScope com;
    std::vector<std::uint32_t> pixels;
    try {
        const velmira::wic::WicPicture picture(velmira::wic::PictureRequest{path.c_str(), 0, 0});
        const velmira::wic::PictureSize size = picture.Size();
        pixels.resize(std::size_t{size.width} * size.height);
        picture.ReadTopLeft(size.width, size.height, [&](std::uint32_t y, const std::uint32_t* row) {
            std::copy(row, row + size.width, pixels.begin() + static_cast<std::ptrdiff_t>(y * size.width));
        });
    } catch (const std::exception&) {
        pixels.clear();
    }
    return pixels;
}

// The export of our own gives exactly the whole picture's top-left pixels, for each kind of file the formats'
// libraries read (tests/data/pictures, written by the load benchmark's samples command), from a file and from
// memory, for parts smaller than the picture, as large, and larger. The whole picture is the one the system's
// codecs give, where they read the format (within one step of a channel: they may round otherwise).
TEST_F(WicPluginTest, TheRegionExportGivesTheWholePicturesTopLeftPixels) {
    ASSERT_NE(ThePlugin().VelmiraGetPictureRegion, nullptr);
    for (const char* name : {"rgba.png", "adam7.png", "adam7-16bit.png", "transparent.gif", "interlaced.gif",
                             "strips.tif", "tiles-alpha.tif", "lossy-alpha.webp", "lossless.webp"}) {
        SCOPED_TRACE(name);
        const std::string path = std::string(VELMIRA_TESTDATA) + "/pictures/" + name;
        std::ifstream in(path, std::ios::binary);
        const Bytes content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(content.empty());
        const Decoded whole = DecodeFile(path.c_str());
        ExpectDib(whole, 53, 41);
        if (whole.result != 0) continue;
        const std::vector<std::uint32_t> system = DecodedBySystemCodecs(path);
        // The system's codecs read PNG, GIF and TIFF everywhere, WebP on some systems only.
        if (std::string(name).find(".webp") == std::string::npos) {
            EXPECT_FALSE(system.empty());
        }
        if (!system.empty()) {
            ASSERT_EQ(system.size(), 53u * 41u);
            int distant = 0;
            for (int y = 0; y < 41; ++y)
                for (int x = 0; x < 53; ++x) {
                    const std::uint32_t theirs = system[static_cast<std::size_t>(y) * 53 + x];
                    const Rgb ours = whole.At(x, y);
                    distant += !Near(ours, {int(theirs >> 16 & 255), int(theirs >> 8 & 255), int(theirs & 255)});
                }
            EXPECT_EQ(distant, 0) << "pixels further than one step from the system codecs' picture";
        }
        for (const auto& [maxWidth, maxHeight] : {std::pair{1, 1}, {23, 19}, {53, 41}, {200, 300}}) {
            for (const bool memory : {false, true}) {
                SCOPED_TRACE(std::to_string(maxWidth) + " x " + std::to_string(maxHeight) + (memory ? " memory" : " file"));
                std::vector<DWORD> pixels(static_cast<std::size_t>(maxWidth) * maxHeight, 0xDEADBEEF);
                spi::PictureRegion region{};
                const int result =
                    memory ? ThePlugin().VelmiraGetPictureRegion(reinterpret_cast<LPCSTR>(content.data()),
                                                          static_cast<LONG>(content.size()), 1, maxWidth, maxHeight,
                                                          &region, pixels.data())
                           : ThePlugin().VelmiraGetPictureRegion(path.c_str(), 0, 0, maxWidth, maxHeight, &region,
                                                          pixels.data());
                ASSERT_EQ(result, spi::kSuccess);
                const int columns = std::min(53, maxWidth), rows = std::min(41, maxHeight);
                EXPECT_EQ(region.width, 53);
                EXPECT_EQ(region.height, 41);
                ASSERT_EQ(region.visibleWidth, columns);
                ASSERT_EQ(region.visibleHeight, rows);
                int different = 0;
                for (int y = 0; y < rows; ++y)
                    for (int x = 0; x < columns; ++x) {
                        const Rgb c = whole.At(x, y);
                        const DWORD expected = static_cast<DWORD>(c.r << 16 | c.g << 8 | c.b);
                        different += pixels[static_cast<std::size_t>(y) * columns + x] != expected;
                    }
                EXPECT_EQ(different, 0);
                EXPECT_EQ(pixels[static_cast<std::size_t>(columns) * rows - 1] >> 24, 0u) << "0x00RRGGBB";
                if (static_cast<std::size_t>(columns) * rows < pixels.size()) {
                    EXPECT_EQ(pixels[static_cast<std::size_t>(columns) * rows], 0xDEADBEEFu) << "wrote past the part";
                }
            }
        }
    }
}

TEST_F(WicPluginTest, PicturesInsideALargerFileAreReadFromTheGivenOffset) {
    const Bytes png = Png(Solid24(4, 4, {0, 0, 255}));
    Bytes content(100 + png.size(), 'x');
    std::copy(png.begin(), png.end(), content.begin() + 100);
    TempFile file(content);
    spi::PictureInfo info{};
    EXPECT_EQ(ThePlugin().GetPictureInfo(file.path(), 100, 0, &info), spi::kSuccess);
    EXPECT_EQ(info.width, 4);
    const Decoded d = DecodeFile(file.path(), 100);
    ExpectDib(d, 4, 4);
    if (d.result == 0) {
        EXPECT_TRUE(Near(d.At(3, 3), {0, 0, 255}));
    }
    EXPECT_NE(DecodeFile(file.path(), 0).result, spi::kSuccess) << "the junk in front is no picture";
}

TEST_F(WicPluginTest, FileNamesInCodePage932AreOpened) {
    TempFile file(Png(Solid24(2, 2, {0, 255, 0})), "表示ﾌｧｲﾙ");  // 表's second byte is a backslash
    EXPECT_NE(AskWithHandle(file.path()), 0);
    spi::PictureInfo info{};
    EXPECT_EQ(ThePlugin().GetPictureInfo(file.path(), 0, 0, &info), spi::kSuccess);
    const Decoded d = DecodeFile(file.path());
    ExpectDib(d, 2, 2);
    if (d.result == 0) {
        EXPECT_TRUE(Near(d.At(1, 1), {0, 255, 0}));
    }
}

TEST_F(WicPluginTest, ForeignFilesAreNotClaimed) {
    const std::vector<Bytes> foreign = {
        Bytes{'H', 'e', 'l', 'l', 'o', ',', ' ', 'w', 'o', 'r', 'l', 'd'},
        Bytes(3000, 0),
        Bytes{'P', 'K', 3, 4, 20, 0, 0, 0},
        Bytes{},
    };
    for (const Bytes& content : foreign) {
        TempFile file(content);
        EXPECT_EQ(AskWithHandle(file.path()), 0) << content.size();
        EXPECT_EQ(AskWithBuffer(content), 0) << content.size();
        spi::PictureInfo info{};
        EXPECT_EQ(ThePlugin().GetPictureInfo(file.path(), 0, 0, &info), spi::kUnknownFormat) << content.size();
    }
}

}  // namespace
