#include "wicplugin/WicPluginCalls.h"

#include <objbase.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "support/ProgramFolder.h"

namespace wictest {

using Bytes = std::vector<BYTE>;

// ---- the plug-in, as the host sees it ----

// The build puts the plug-in beside the program, one folder above the tests.
const std::string& PluginPath() {
    static const std::string path = testsupport::ProgramFolder() + "..\\velmira_wic.spi";
    return path;
}

Plugin& ThePlugin() {
    // An empty record when the plug-in does not load, so that each test fails on its own call.
    static const std::unique_ptr<Plugin> plugin = [] {
        auto loaded = velmira::LoadSpiPlugin(PluginPath());
        return loaded ? std::move(loaded) : std::make_unique<Plugin>();
    }();
    return *plugin;
}

// ---- pictures made with the encoders ----

ComPtr<IWICImagingFactory> Factory() {
    ComPtr<IWICImagingFactory> factory;
    ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                       reinterpret_cast<void**>(factory.put()));
    return factory;
}

UINT StrideOf(const Frame& f) {
    UINT bits = 0;
    const GUID& fmt = f.format;
    if (fmt == GUID_WICPixelFormat8bppGray || fmt == GUID_WICPixelFormat8bppIndexed) bits = 8;
    else if (fmt == GUID_WICPixelFormat16bppGray) bits = 16;
    else if (fmt == GUID_WICPixelFormat24bppBGR) bits = 24;
    else if (fmt == GUID_WICPixelFormat32bppBGRA) bits = 32;
    else if (fmt == GUID_WICPixelFormat48bppRGB) bits = 48;
    else if (fmt == GUID_WICPixelFormat64bppRGBA) bits = 64;
    return (f.width * bits + 7) / 8;
}

// Encodes the frames into one file of the container; reports the format the encoder really took for frame 0
// (an encoder may substitute one it supports), or an empty vector when the container has no encoder.
Bytes Encode(const GUID& container, const std::vector<Frame>& frames, WICPixelFormatGUID* taken) {
    ComPtr<IWICImagingFactory> factory = Factory();
    ComPtr<IWICBitmapEncoder> encoder;
    if (!factory || FAILED(factory->CreateEncoder(container, nullptr, encoder.put()))) return {};
    ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) return {};
    if (FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache))) return {};
    for (const Frame& f : frames) {
        ComPtr<IWICBitmapFrameEncode> frame;
        if (FAILED(encoder->CreateNewFrame(frame.put(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
            FAILED(frame->SetSize(f.width, f.height)))
            return {};
        WICPixelFormatGUID format = f.format;
        if (FAILED(frame->SetPixelFormat(&format))) return {};
        if (taken && &f == &frames.front()) *taken = format;
        if (format != f.format) return {};
        if (!f.palette.empty()) {
            ComPtr<IWICPalette> palette;
            if (FAILED(factory->CreatePalette(palette.put())) ||
                FAILED(palette->InitializeCustom(const_cast<WICColor*>(f.palette.data()),
                                                 static_cast<UINT>(f.palette.size()))) ||
                FAILED(frame->SetPalette(palette.get())))
                return {};
        }
        const UINT stride = StrideOf(f);
        if (FAILED(frame->WritePixels(f.height, stride, stride * f.height, const_cast<BYTE*>(f.pixels.data()))) ||
            FAILED(frame->Commit()))
            return {};
    }
    if (FAILED(encoder->Commit())) return {};
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (FAILED(::GetHGlobalFromStream(stream.get(), &memory)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return {};
    ui::ScopedGlobalLock lock(memory);
    const BYTE* p = static_cast<const BYTE*>(lock.get());
    return Bytes(p, p + stat.cbSize.QuadPart);
}

// A frame whose pixels come from a function of (x, y), given as the bytes of one pixel.
Frame MakeFrame(const WICPixelFormatGUID& format, UINT w, UINT h, const std::function<Bytes(UINT, UINT)>& pixel) {
    Frame f{format, w, h, {}, {}};
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x) {
            const Bytes p = pixel(x, y);
            f.pixels.insert(f.pixels.end(), p.begin(), p.end());
        }
    return f;
}

Frame Solid24(UINT w, UINT h, Rgb c) {
    return MakeFrame(GUID_WICPixelFormat24bppBGR, w, h, [c](UINT, UINT) {
        return Bytes{BYTE(c.b), BYTE(c.g), BYTE(c.r)};
    });
}

Bytes Png(const Frame& f) { return Encode(GUID_ContainerFormatPng, {f}); }

// An icon image in the classic form: a 32-bit bottom-up DIB of double height followed by its AND mask.
Bytes IconDib(UINT w, UINT h, Rgb c) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = static_cast<LONG>(w);
    header.biHeight = static_cast<LONG>(2 * h);
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    Bytes out(reinterpret_cast<BYTE*>(&header), reinterpret_cast<BYTE*>(&header) + sizeof header);
    for (UINT i = 0; i < w * h; ++i) out.insert(out.end(), {BYTE(c.b), BYTE(c.g), BYTE(c.r), 255});
    out.insert(out.end(), static_cast<std::size_t>((w + 31) / 32 * 4) * h, 0);
    return out;
}

Bytes Icon(const std::vector<IconImage>& images) {
    auto put16 = [](Bytes& b, unsigned v) { b.insert(b.end(), {BYTE(v), BYTE(v >> 8)}); };
    auto put32 = [](Bytes& b, unsigned v) { b.insert(b.end(), {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}); };
    Bytes out;
    put16(out, 0);
    put16(out, 1);
    put16(out, static_cast<unsigned>(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    for (const IconImage& image : images) {
        out.insert(out.end(), {BYTE(image.width & 0xFF), BYTE(image.height & 0xFF), 0, 0});
        put16(out, 1);
        put16(out, 32);
        put32(out, static_cast<unsigned>(image.payload.size()));
        put32(out, static_cast<unsigned>(offset));
        offset += image.payload.size();
    }
    for (const IconImage& image : images) out.insert(out.end(), image.payload.begin(), image.payload.end());
    return out;
}

// A little-endian greyscale TIFF whose header claims any size, with one tiny strip.
Bytes TiffClaiming(unsigned width, unsigned height) {
    Bytes out{'I', 'I', 42, 0, 8, 0, 0, 0};
    auto put16 = [&](unsigned v) { out.insert(out.end(), {BYTE(v), BYTE(v >> 8)}); };
    auto put32 = [&](unsigned v) { out.insert(out.end(), {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}); };
    const unsigned entries = 8, dataOffset = 8 + 2 + entries * 12 + 4;
    put16(entries);
    auto entry = [&](unsigned tag, unsigned type, unsigned value) {
        put16(tag);
        put16(type);
        put32(1);
        put32(value);
    };
    entry(256, 4, width);        // ImageWidth
    entry(257, 4, height);       // ImageLength
    entry(258, 3, 8);            // BitsPerSample
    entry(259, 3, 1);            // no compression
    entry(262, 3, 1);            // black is zero
    entry(273, 4, dataOffset);   // StripOffsets
    entry(278, 4, height);       // RowsPerStrip
    entry(279, 4, 16);           // StripByteCounts
    put32(0);
    out.insert(out.end(), 16, 0x80);
    return out;
}

// ---- files and calls ----

TempFile::TempFile(const Bytes& content, const char* name) {
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    static int serial = 0;
    path_ = std::string(folder) + "velmira_wic_" + name + "_" + std::to_string(::GetCurrentProcessId()) + "_" +
            std::to_string(++serial) + ".bin";
    ui::UniqueFile file(
        ::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file && !content.empty())
        ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
}

// IsSupported as the host asks it: a fresh handle opened for reading, deny none.
int AskWithHandle(const char* path, LONG startAt, LONG* pointerAfter) {
    const HFILE file = ::_lopen(path, OF_READ | OF_SHARE_DENY_NONE);
    if (file == HFILE_ERROR) return -100;
    ::_llseek(file, startAt, FILE_BEGIN);
    const int answer = ThePlugin().IsSupported(path, static_cast<DWORD>(file));
    if (pointerAfter) *pointerAfter = ::_llseek(file, 0, FILE_CURRENT);
    ::_lclose(file);
    return answer;
}

int AskWithBuffer(const Bytes& content) {
    Bytes head(2048, 0);
    std::copy_n(content.begin(), std::min<std::size_t>(content.size(), head.size()), head.begin());
    return ThePlugin().IsSupported("picture", static_cast<DWORD>(reinterpret_cast<UINT_PTR>(head.data())));
}

// The decoded picture, read back from the two handles as the host reads them; both are freed here.

Decoded ReadBack(int result, HANDLE info, HANDLE pixels) {
    Decoded d;
    d.result = result;
    if (result != 0) return d;
    d.infoSize = ::LocalSize(info);
    d.pixelSize = ::LocalSize(pixels);
    if (const void* p = ::LocalLock(info)) {
        std::memcpy(&d.header, p, sizeof d.header);
        ::LocalUnlock(info);
    }
    if (const BYTE* p = static_cast<const BYTE*>(::LocalLock(pixels))) {
        d.bits.assign(p, p + d.pixelSize);
        ::LocalUnlock(pixels);
    }
    d.freedBoth = ::LocalFree(pixels) == nullptr && ::LocalFree(info) == nullptr;
    return d;
}

Decoded DecodeFile(const char* path, LONG offset) {
    HANDLE info = nullptr, pixels = nullptr;
    const int result = ThePlugin().GetPicture(path, offset, 0, &info, &pixels, nullptr, 0);
    return ReadBack(result, info, pixels);
}

Decoded DecodeMemory(const Bytes& content) {
    HANDLE info = nullptr, pixels = nullptr;
    const int result = ThePlugin().GetPicture(reinterpret_cast<LPCSTR>(content.data()),
                                              static_cast<LONG>(content.size()), 1, &info, &pixels, nullptr, 0);
    return ReadBack(result, info, pixels);
}

std::string Show(Rgb c) {
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

::testing::AssertionResult Near(Rgb actual, Rgb expected) {
    if (std::abs(actual.r - expected.r) <= 1 && std::abs(actual.g - expected.g) <= 1 &&
        std::abs(actual.b - expected.b) <= 1)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << Show(actual) << ", expected " << Show(expected);
}

void ExpectDib(const Decoded& d, int width, int height) {
    ASSERT_EQ(d.result, spi::kSuccess);
    EXPECT_TRUE(d.freedBoth) << "the handles must be movable local blocks the host can free";
    EXPECT_GE(d.infoSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(d.header.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(d.header.biWidth, width);
    EXPECT_EQ(d.header.biHeight, height) << "positive: bottom-up";
    EXPECT_EQ(d.header.biPlanes, 1);
    EXPECT_EQ(d.header.biBitCount, 24);
    EXPECT_EQ(d.header.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_GE(d.pixelSize, static_cast<SIZE_T>((width * 3 + 3) / 4 * 4 * height));
}

}  // namespace wictest
