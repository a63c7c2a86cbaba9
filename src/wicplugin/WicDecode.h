#pragma once
// Decoding one picture through the Windows Imaging Component, for the plug-in's exports.
#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "spi/SpiInterface.h"
#include "wicplugin/LibraryPicture.h"
#include "wicplugin/ComPtr.h"

namespace velmira::wic {

// A failure that the exports answer with one of the interface's result codes.
class DecodeFailure : public std::runtime_error {
public:
    DecodeFailure(int code, const char* what) : std::runtime_error(what), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

// COM for the duration of one export call. Uninitialises only what this call initialised: a host thread
// that already runs COM in another apartment answers RPC_E_CHANGED_MODE, and we then use its apartment.
class ScopedComApartment {
public:
    ScopedComApartment() noexcept;
    ScopedComApartment(const ScopedComApartment&) = delete;
    ScopedComApartment& operator=(const ScopedComApartment&) = delete;
    ~ScopedComApartment();

private:
    bool owned_;
};

// What the host hands to GetPictureInfo and GetPicture: a file name and an offset into the file
// ((flag & 7) == 0), or a memory image and its length ((flag & 7) == 1).
struct PictureRequest {
    LPCSTR buf;
    LONG len;
    UINT flag;
};

struct PictureSize {
    std::uint32_t width;
    std::uint32_t height;
    WORD xDensity;  // dots per inch, 0 when unknown
    WORD yDensity;
};

// One opened picture: the decoder and the frame we show (the first, or an icon's largest and deepest).
class WicPicture {
public:
    explicit WicPicture(const PictureRequest& request);

    PictureSize Size() const;

    // Hands the frame's first `rows` rows, each cut to its first `columns` pixels and laid over white, to `sink`
    // in order from the top.
    void ReadTopLeft(std::uint32_t columns, std::uint32_t rows, const RowSink& sink) const;

private:
    void OpenStream(const PictureRequest& request);
    void ChooseFrame();

    ComPtr<IWICImagingFactory> factory_;
    std::vector<BYTE> fileBytes_;  // the file's content for the file form; the stream reads from here
    ComPtr<IWICStream> stream_;
    ComPtr<IWICBitmapDecoder> decoder_;
    ComPtr<IWICBitmapFrameDecode> frame_;
};

ComPtr<IWICImagingFactory> CreateImagingFactory();

// True when an installed decoder other than our own magic test claims these first bytes of a file.
bool AnyDecoderMatches(const BYTE* head, DWORD size);

// The ";"-joined file patterns of every installed decoder, after the core ones, within `maxLength`.
std::string InstalledDecoderPatterns(std::string pattern, std::size_t maxLength);

}  // namespace velmira::wic
