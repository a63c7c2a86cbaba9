#include "wicplugin/WicDecode.h"

#include <algorithm>
#include <cmath>

#include "wicplugin/WicPixels.h"
#include "ui/UniqueHandle.h"

namespace velmira::wic {
namespace {

// A file is read whole into memory for the imaging component; beyond this it could never become a picture
// that a 32-bit host can hold.
constexpr LONGLONG kMaxFileBytes = LONGLONG{512} << 20;
// Rows are converted in bands of about this many bytes, so a large picture never exists twice in full.
constexpr std::uint32_t kBandBytes = 4u << 20;

int CodeFor(HRESULT hr) noexcept {
    if (hr == E_OUTOFMEMORY) return spi::kOutOfMemory;
    if (hr == WINCODEC_ERR_COMPONENTNOTFOUND || hr == WINCODEC_ERR_UNKNOWNIMAGEFORMAT) return spi::kUnknownFormat;
    return spi::kBrokenData;
}

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw DecodeFailure(CodeFor(hr), what);
}

std::vector<BYTE> ReadFileFrom(LPCSTR name, LONG offset) {
    ui::UniqueFile file(::CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw DecodeFailure(spi::kReadError, "cannot open the file");
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || offset < 0 || offset > size.QuadPart)
        throw DecodeFailure(spi::kReadError, "cannot size the file");
    const LONGLONG remaining = size.QuadPart - offset;
    if (remaining > kMaxFileBytes) throw DecodeFailure(spi::kOutOfMemory, "file too large");
    LARGE_INTEGER start{};
    start.QuadPart = offset;
    if (!::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN))
        throw DecodeFailure(spi::kReadError, "cannot seek");
    std::vector<BYTE> bytes(static_cast<std::size_t>(remaining));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        if (!::ReadFile(file.get(), bytes.data() + done, want, &got, nullptr))
            throw DecodeFailure(spi::kReadError, "cannot read the file");
        if (got == 0) break;  // the file shrank under us: decode what there is
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

UINT BitsPerPixel(IWICImagingFactory* factory, const WICPixelFormatGUID& format) {
    ComPtr<IWICComponentInfo> info;
    if (FAILED(factory->CreateComponentInfo(format, info.put()))) return 0;
    ComPtr<IWICPixelFormatInfo> pixelInfo;
    if (FAILED(info->QueryInterface(IID_IWICPixelFormatInfo, reinterpret_cast<void**>(pixelInfo.put())))) return 0;
    UINT bits = 0;
    return SUCCEEDED(pixelInfo->GetBitsPerPixel(&bits)) ? bits : 0;
}

WORD Density(double dpi) noexcept {
    return (dpi > 0.0 && dpi < 65535.5) ? static_cast<WORD>(std::lround(dpi)) : 0;
}

ComPtr<IWICStream> MemoryStream(IWICImagingFactory* factory, const BYTE* bytes, DWORD size) {
    ComPtr<IWICStream> stream;
    Check(factory->CreateStream(stream.put()), "CreateStream");
    // The stream only reads; the interface just lacks const.
    Check(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), size), "InitializeFromMemory");
    return stream;
}

// Calls `visit` with the information object of every installed decoder until it answers true.
template <class Visit>
bool ForEachDecoder(IWICImagingFactory* factory, Visit visit) {
    ComPtr<IEnumUnknown> components;
    if (FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, components.put())))
        return false;
    for (;;) {
        ComPtr<IUnknown> component;
        ULONG fetched = 0;
        if (components->Next(1, component.put(), &fetched) != S_OK || fetched != 1) return false;
        ComPtr<IWICBitmapDecoderInfo> info;
        if (FAILED(component->QueryInterface(IID_IWICBitmapDecoderInfo, reinterpret_cast<void**>(info.put()))))
            continue;
        if (visit(info.get())) return true;
    }
}

}  // namespace

ScopedComApartment::ScopedComApartment() noexcept {
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    owned_ = (hr == S_OK || hr == S_FALSE);
}

ScopedComApartment::~ScopedComApartment() {
    if (owned_) ::CoUninitialize();
}

ComPtr<IWICImagingFactory> CreateImagingFactory() {
    ComPtr<IWICImagingFactory> factory;
    const HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()));
    if (FAILED(hr)) throw DecodeFailure(hr == E_OUTOFMEMORY ? spi::kOutOfMemory : spi::kInternalError, "no WIC");
    return factory;
}

WicPicture::WicPicture(const PictureRequest& request) : factory_(CreateImagingFactory()) {
    OpenStream(request);
    const HRESULT hr = factory_->CreateDecoderFromStream(stream_.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                         decoder_.put());
    Check(hr, "CreateDecoderFromStream");
    ChooseFrame();
}

void WicPicture::OpenStream(const PictureRequest& request) {
    const BYTE* bytes = nullptr;
    DWORD size = 0;
    switch (request.flag & 7) {
    case 0:
        if (!request.buf) throw DecodeFailure(spi::kReadError, "no file name");
        fileBytes_ = ReadFileFrom(request.buf, request.len);
        bytes = fileBytes_.data();
        size = static_cast<DWORD>(fileBytes_.size());
        break;
    case 1:
        bytes = reinterpret_cast<const BYTE*>(request.buf);
        size = request.len > 0 ? static_cast<DWORD>(request.len) : 0;
        break;
    default:
        throw DecodeFailure(spi::kNotImplemented, "unknown input form");
    }
    if (!bytes || size == 0) throw DecodeFailure(spi::kUnknownFormat, "no data");
    stream_ = MemoryStream(factory_.get(), bytes, size);
}

void WicPicture::ChooseFrame() {
    UINT count = 0;
    Check(decoder_->GetFrameCount(&count), "GetFrameCount");
    if (count == 0) throw DecodeFailure(spi::kBrokenData, "no frames");
    GUID container{};
    // An animation or a multi-page file shows its first frame; an icon the largest of its images, and of
    // equal sizes the deepest, which is what a viewer would pick for a large display.
    if (FAILED(decoder_->GetContainerFormat(&container)) || container != GUID_ContainerFormatIco || count == 1) {
        Check(decoder_->GetFrame(0, frame_.put()), "GetFrame");
        return;
    }
    std::uint64_t bestArea = 0;
    UINT bestBits = 0;
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IWICBitmapFrameDecode> candidate;
        UINT w = 0, h = 0;
        WICPixelFormatGUID format{};
        if (FAILED(decoder_->GetFrame(i, candidate.put())) || FAILED(candidate->GetSize(&w, &h)) ||
            FAILED(candidate->GetPixelFormat(&format)))
            continue;  // a damaged image inside an icon leaves the others usable
        const std::uint64_t area = std::uint64_t{w} * h;
        const UINT bits = BitsPerPixel(factory_.get(), format);
        if (!frame_ || area > bestArea || (area == bestArea && bits > bestBits)) {
            frame_ = std::move(candidate);
            bestArea = area;
            bestBits = bits;
        }
    }
    if (!frame_) throw DecodeFailure(spi::kBrokenData, "no readable icon image");
}

PictureSize WicPicture::Size() const {
    UINT w = 0, h = 0;
    Check(frame_->GetSize(&w, &h), "GetSize");
    double dpiX = 0.0, dpiY = 0.0;
    if (FAILED(frame_->GetResolution(&dpiX, &dpiY))) dpiX = dpiY = 0.0;
    return PictureSize{w, h, Density(dpiX), Density(dpiY)};
}

void WicPicture::ReadTopLeft(std::uint32_t columns, std::uint32_t rows, const RowSink& sink) const {
    ComPtr<IWICFormatConverter> converter;
    Check(factory_->CreateFormatConverter(converter.put()), "CreateFormatConverter");
    // Straight (not premultiplied) alpha keeps the colour of half-transparent pixels exact before we
    // lay them over white ourselves.
    Check(converter->Initialize(frame_.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                WICBitmapPaletteTypeCustom),
          "FormatConverter::Initialize");
    const std::uint32_t sourceStride = columns * 4;
    const std::uint32_t bandRows = std::clamp<std::uint32_t>(kBandBytes / sourceStride, 1, rows);
    std::vector<std::uint8_t> band(static_cast<std::size_t>(sourceStride) * bandRows);
    std::vector<std::uint32_t> out(columns);
    for (std::uint32_t y = 0; y < rows; y += bandRows) {
        const std::uint32_t count = std::min(bandRows, rows - y);
        const WICRect rect{0, static_cast<INT>(y), static_cast<INT>(columns), static_cast<INT>(count)};
        Check(converter->CopyPixels(&rect, sourceStride, sourceStride * count, band.data()), "CopyPixels");
        for (std::uint32_t i = 0; i < count; ++i) {
            BgraRowOverWhite(band.data() + static_cast<std::size_t>(i) * sourceStride, out.data(), columns);
            sink(y + i, out.data());
        }
    }
}

bool AnyDecoderMatches(const BYTE* head, DWORD size) {
    if (size == 0) return false;
    const ComPtr<IWICImagingFactory> factory = CreateImagingFactory();
    const ComPtr<IWICStream> stream = MemoryStream(factory.get(), head, size);
    return ForEachDecoder(factory.get(), [&](IWICBitmapDecoderInfo* info) {
        BOOL matches = FALSE;
        return SUCCEEDED(info->MatchesPattern(stream.get(), &matches)) && matches;
    });
}

std::string InstalledDecoderPatterns(std::string pattern, std::size_t maxLength) {
    const ComPtr<IWICImagingFactory> factory = CreateImagingFactory();
    ForEachDecoder(factory.get(), [&](IWICBitmapDecoderInfo* info) {
        // A codec without signature patterns could never be claimed from a file's first bytes: listing its
        // extensions would only lead to "unsupported" after the user picked such a file.
        UINT patterns = 0, patternBytes = 0;
        if (FAILED(info->GetPatterns(0, nullptr, &patterns, &patternBytes)) || patterns == 0) return false;
        UINT length = 0;
        if (FAILED(info->GetFileExtensions(0, nullptr, &length)) || length == 0) return false;
        std::wstring wide(length, L'\0');
        if (FAILED(info->GetFileExtensions(length, wide.data(), &length))) return false;
        wide.resize(::wcsnlen(wide.c_str(), wide.size()));
        std::string narrow;
        for (wchar_t c : wide) {
            if (c >= 0x80) return false;  // a pattern the host cannot pass through code page 932 unchanged
            narrow += static_cast<char>(c);
        }
        // The host decodes BMP and JPEG files itself, by their extension, and never offers them to us.
        AppendExtensionPatterns(pattern, narrow, "bmp;jpg;jpeg", maxLength);
        return false;
    });
    return pattern;
}

}  // namespace velmira::wic
