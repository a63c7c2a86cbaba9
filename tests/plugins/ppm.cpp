// Test plug-in: binary PPM (P6, handed back as a 24-bit DIB) and PGM (P5, an 8-bit DIB with a grey palette).
// Fills the picture record with the gap and a real text-information handle at byte 24. Built with
// PPM_HANDLE_FORM_ONLY, IsSupported reads its second argument only as a file handle, as older plug-ins do.
#include "PluginCommon.h"

namespace {

LONG g_isSupportedCalls = 0;
LONG g_invalidHandles = 0;
LONG g_handleForms = 0;
HLOCAL g_textInfo = nullptr;

struct Ppm {
    HLOCAL data = nullptr;  // the whole file
    const BYTE* pixels = nullptr;
    LONG width = 0;
    LONG height = 0;
    bool grey = false;
};

bool IsSpace(BYTE c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Skips white space and comments, then reads one decimal number.
bool ReadNumber(const BYTE* p, DWORD size, DWORD& pos, LONG& value) {
    for (;;) {
        while (pos < size && IsSpace(p[pos])) ++pos;
        if (pos < size && p[pos] == '#') {
            while (pos < size && p[pos] != '\n') ++pos;
            continue;
        }
        break;
    }
    if (pos >= size || p[pos] < '0' || p[pos] > '9') return false;
    value = 0;
    while (pos < size && p[pos] >= '0' && p[pos] <= '9' && value < 100000) value = value * 10 + (p[pos++] - '0');
    return true;
}

bool Load(LPCSTR name, Ppm& ppm) {
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = GetFileSize(file, nullptr);
    ppm.data = LocalAlloc(LMEM_FIXED, size + 1);
    DWORD read = 0;
    const BOOL ok = ppm.data && ReadFile(file, ppm.data, size, &read, nullptr) && read == size;
    CloseHandle(file);
    if (!ok) return false;
    const BYTE* p = static_cast<const BYTE*>(ppm.data);
    if (size < 2 || p[0] != 'P' || (p[1] != '5' && p[1] != '6')) return false;
    ppm.grey = p[1] == '5';
    DWORD pos = 2;
    LONG maxval = 0;
    if (!ReadNumber(p, size, pos, ppm.width) || !ReadNumber(p, size, pos, ppm.height) ||
        !ReadNumber(p, size, pos, maxval) || maxval != 255 || pos >= size || !IsSpace(p[pos]))
        return false;
    ++pos;
    const DWORD need = static_cast<DWORD>(ppm.width) * ppm.height * (ppm.grey ? 1 : 3);
    if (ppm.width <= 0 || ppm.height <= 0 || size - pos < need) return false;
    ppm.pixels = p + pos;
    return true;
}

void Free(Ppm& ppm) {
    if (ppm.data) LocalFree(ppm.data);
}

}  // namespace

SPI_EXPORT int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    static const char* const texts[] = {"00IN", "PPM/PGM test plug-in", "*.ppm;*.pgm", "PPM/PGM"};
    if (infono < 0 || infono >= 4) return 0;
    return plugin::CopyInfo(buf, buflen, texts[infono]);
}

SPI_EXPORT int __stdcall IsSupported(LPCSTR, DWORD dw) {
    ++g_isSupportedCalls;
    if (dw == static_cast<DWORD>(HFILE_ERROR)) {
        ++g_invalidHandles;
        return 0;
    }
    if (HIWORD(dw) == 0) ++g_handleForms;
    char magic[2];
#ifdef PPM_HANDLE_FORM_ONLY
    if (!plugin::ReadFromHandle(dw, magic, sizeof magic)) return 0;
#else
    if (!plugin::ReadSupportedHead(dw, magic, sizeof magic)) return 0;
#endif
    return magic[0] == 'P' && (magic[1] == '5' || magic[1] == '6');
}

SPI_EXPORT int __stdcall GetPictureInfo(LPCSTR buf, LONG, UINT, spi::PictureInfo* lpInfo) {
    Ppm ppm;
    const bool ok = Load(buf, ppm);
    Free(ppm);
    if (!ok) return spi::kUnknownFormat;
    lpInfo->left = 0;
    lpInfo->top = 0;
    lpInfo->width = ppm.width;
    lpInfo->height = ppm.height;
    lpInfo->x_density = 0;
    lpInfo->y_density = 0;
    lpInfo->colorDepth = ppm.grey ? 8 : 24;
    lpInfo->gap = 0;
    g_textInfo = LocalAlloc(LMEM_MOVEABLE, 32);
    lpInfo->hInfo = g_textInfo;
    return spi::kSuccess;
}

SPI_EXPORT int __stdcall GetPicture(LPCSTR buf, LONG, UINT, HANDLE* pHBInfo, HANDLE* pHBm, spi::ProgressCallback,
                                    LONG) {
    Ppm ppm;
    if (!Load(buf, ppm)) {
        Free(ppm);
        return spi::kUnknownFormat;
    }
    const WORD bits = ppm.grey ? 8 : 24;
    HLOCAL info = plugin::MakeBitmapInfo(LMEM_MOVEABLE, ppm.width, ppm.height, bits, ppm.grey ? 256 : 0);
    const DWORD stride = plugin::Stride(ppm.width, bits);
    HLOCAL pixels = LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, stride * ppm.height);
    if (!info || !pixels) {
        if (info) LocalFree(info);
        if (pixels) LocalFree(pixels);
        Free(ppm);
        return spi::kOutOfMemory;
    }
    if (ppm.grey) {
        auto* palette = reinterpret_cast<RGBQUAD*>(static_cast<BYTE*>(LocalLock(info)) + sizeof(BITMAPINFOHEADER));
        for (int i = 0; i < 256; ++i) palette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        LocalUnlock(info);
    }
    BYTE* out = static_cast<BYTE*>(LocalLock(pixels));
    for (LONG y = 0; y < ppm.height; ++y) {
        BYTE* row = out + (ppm.height - 1 - y) * stride;  // bottom-up
        for (LONG x = 0; x < ppm.width; ++x) {
            if (ppm.grey) {
                row[x] = ppm.pixels[y * ppm.width + x];
            } else {
                const BYTE* rgb = ppm.pixels + (y * ppm.width + x) * 3;
                row[x * 3 + 0] = rgb[2];
                row[x * 3 + 1] = rgb[1];
                row[x * 3 + 2] = rgb[0];
            }
        }
    }
    LocalUnlock(pixels);
    Free(ppm);
    *pHBInfo = info;
    *pHBm = pixels;
    return spi::kSuccess;
}

// Test-only: how often IsSupported was called, how often with HFILE_ERROR instead of a file, and how often with
// a file handle rather than the file's first bytes.
SPI_EXPORT LONG __stdcall TestIsSupportedCalls() { return g_isSupportedCalls; }
SPI_EXPORT LONG __stdcall TestInvalidHandles() { return g_invalidHandles; }
SPI_EXPORT LONG __stdcall TestHandleFormCalls() { return g_handleForms; }
// Test-only: whether the last text-information handle is still allocated (1), freed (0) or never made (-1).
SPI_EXPORT int __stdcall TestTextInfoAlive() { return plugin::HandleState(g_textInfo); }
