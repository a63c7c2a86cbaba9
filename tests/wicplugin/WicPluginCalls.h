#pragma once
// The bundled plug-in velmira_wic.spi as the host sees it, loaded by full path and called exactly as the host
// calls it, and pictures made with the imaging component's own encoders (icons are assembled by hand).
#include <gtest/gtest.h>
#include <windows.h>
#include <wincodec.h>

#include <functional>
#include <string>
#include <vector>

#include "spi/SpiInterface.h"
#include "spihost/SpiPluginCalls.h"
#include "wicplugin/ComPtr.h"
#include "ui/UniqueHandle.h"

namespace wictest {

using velmira::wic::ComPtr;
using Bytes = std::vector<BYTE>;

struct Rgb {
    int r, g, b;
};

// ---- the plug-in, as the host sees it ----

// The bundled plug-in, loaded by the host's own routine.
using Plugin = velmira::SpiPluginModule;

// The build puts the plug-in beside the program, one folder above the tests.
const std::string& PluginPath();
Plugin& ThePlugin();

// ---- pictures made with the encoders ----

class ComScope {
public:
    ComScope() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { ::CoUninitialize(); }
};

ComPtr<IWICImagingFactory> Factory();

struct Frame {
    WICPixelFormatGUID format;
    UINT width, height;
    Bytes pixels;  // rows of `width` pixels in `format`, tightly packed to whole bytes
    std::vector<WICColor> palette;
};

// Encodes the frames into one file of the container; reports the format the encoder really took for frame 0
// (an encoder may substitute one it supports), or an empty vector when the container has no encoder.
Bytes Encode(const GUID& container, const std::vector<Frame>& frames, WICPixelFormatGUID* taken = nullptr);
// A frame whose pixels come from a function of (x, y), given as the bytes of one pixel.
Frame MakeFrame(const WICPixelFormatGUID& format, UINT w, UINT h, const std::function<Bytes(UINT, UINT)>& pixel);
Frame Solid24(UINT w, UINT h, Rgb c);
Bytes Png(const Frame& f);
// An icon image in the classic form: a 32-bit bottom-up DIB of double height followed by its AND mask.
Bytes IconDib(UINT w, UINT h, Rgb c);

struct IconImage {
    UINT width, height;
    Bytes payload;  // a DIB or a whole PNG file
};

Bytes Icon(const std::vector<IconImage>& images);
// A little-endian greyscale TIFF whose header claims any size, with one tiny strip.
Bytes TiffClaiming(unsigned width, unsigned height);

// ---- files and calls ----

class TempFile {
public:
    explicit TempFile(const Bytes& content, const char* name = "pic");
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { ::DeleteFileA(path_.c_str()); }
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

// IsSupported as the host asks it: a fresh handle opened for reading, deny none.
int AskWithHandle(const char* path, LONG startAt = 0, LONG* pointerAfter = nullptr);
int AskWithBuffer(const Bytes& content);

// The decoded picture, read back from the two handles as the host reads them; both are freed here.
struct Decoded {
    int result = -100;
    BITMAPINFOHEADER header{};
    SIZE_T infoSize = 0, pixelSize = 0;
    bool freedBoth = false;
    Bytes bits;

    Rgb At(int x, int y) const {  // y = 0 is the top line
        const int stride = (header.biWidth * 3 + 3) / 4 * 4;
        const BYTE* p = bits.data() + static_cast<std::size_t>(header.biHeight - 1 - y) * stride + 3 * x;
        return Rgb{p[2], p[1], p[0]};
    }
};

// Reads the blocks back as the host does; both are freed here.
Decoded ReadBack(int result, HANDLE info, HANDLE pixels);
Decoded DecodeFile(const char* path, LONG offset = 0);
Decoded DecodeMemory(const Bytes& content);
std::string Show(Rgb c);
::testing::AssertionResult Near(Rgb actual, Rgb expected);
void ExpectDib(const Decoded& d, int width, int height);

class WicPluginTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(ThePlugin().Module) << "cannot load " << PluginPath();
    }
    void SetUp() override {
        ASSERT_TRUE(ThePlugin().Module) << "cannot load " << PluginPath();
        ASSERT_TRUE(ThePlugin().GetPluginInfo && ThePlugin().IsSupported && ThePlugin().GetPictureInfo &&
                    ThePlugin().GetPicture && ThePlugin().GetPreview && ThePlugin().GetArchiveInfo &&
                    ThePlugin().GetFile)
            << "an export is missing under its plain name";
    }
    ComScope com_;
};

}  // namespace wictest
