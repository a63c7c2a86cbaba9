// Test plug-in that hands back records and blocks which do not describe each other, handles that are no
// blocks at all, and answers slowly. Accepts files starting with "HOST"; the fifth byte chooses the fault (see
// the switches below). Mode '0' is a sound 4 x 2 24-bit picture; mode 'l' is the same after a long wait.
// Mode 'C' crashes in GetPicture and mode 'E' never returns from it. IsSupported reads its second argument only as
// the buffer form, as one public plug-in does: asked with a file handle, it faults.
#include "PluginCommon.h"

namespace {

constexpr LONG kWidth = 4;
constexpr LONG kHeight = 2;

char Mode(LPCSTR name) {
    char head[5] = {};
    return plugin::ReadHead(name, head, sizeof head) == 5 ? head[4] : '?';
}

}  // namespace

SPI_EXPORT int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono == 2) return plugin::CopyInfo(buf, buflen, "*.hst");
    if (infono == 3) return plugin::CopyInfo(buf, buflen, "Hostile blocks");
    return 0;
}

SPI_EXPORT int __stdcall IsSupported(LPCSTR, DWORD dw) {
    const char* head = reinterpret_cast<const char*>(static_cast<ULONG_PTR>(dw));
    return head[0] == 'H' && head[1] == 'O' && head[2] == 'S' && head[3] == 'T';
}

SPI_EXPORT int __stdcall GetPictureInfo(LPCSTR buf, LONG, UINT, spi::PictureInfo* lpInfo) {
    LONG width = kWidth, height = kHeight;
    switch (Mode(buf)) {
        case 'w': width = -5; break;          // negative width in the record
        case 'h': height = 100000; break;     // absurd height in the record
        case 'z': width = 0; break;           // empty record
        case 'H': height = -kHeight; break;   // negative height in the record
        case 'W': width = LONG(0x80000000u); height = LONG(0x80000000u); break;  // the most negative sizes
        case 'q': return 2;                   // an error code
        case 'l': Sleep(1500); break;         // slow, then sound
    }
    *lpInfo = spi::PictureInfo{0, 0, width, height, 0, 0, 24, 0, nullptr};
    // A text-information "handle" that is no block: the host must not free it as if it were one.
    if (Mode(buf) == 'x') lpInfo->hInfo = reinterpret_cast<HLOCAL>(static_cast<ULONG_PTR>(0x00001234));
    return spi::kSuccess;
}

SPI_EXPORT int __stdcall GetPicture(LPCSTR buf, LONG, UINT, HANDLE* pHBInfo, HANDLE* pHBm, spi::ProgressCallback,
                                    LONG) {
    const char mode = Mode(buf);
    switch (mode) {
        case 'N': *pHBInfo = nullptr; *pHBm = nullptr; return spi::kSuccess;  // success without blocks
        case 'g':                                                              // values that are no handles
            *pHBInfo = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x00C0FFEE));
            *pHBm = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x0BADF00D));
            return spi::kSuccess;
        case 'L': Sleep(1500); return 1;                                       // slow, then failing
        case 'C': *static_cast<volatile int*>(nullptr) = 0; return 1;         // an access violation
        case 'E': for (;;) Sleep(INFINITE);                                    // never returns
    }
    HLOCAL info = plugin::MakeBitmapInfo(LMEM_MOVEABLE, kWidth, kHeight, 24, 0);
    DWORD pixelSize = plugin::Stride(kWidth, 24) * kHeight;
    auto* header = static_cast<BITMAPINFOHEADER*>(LocalLock(info));
    switch (mode) {
        case 'n': header->biHeight = -kHeight; break;   // top-down rows
        case 'm': header->biWidth = 8 * kWidth; break;  // wider than the record
        case 's': header->biSize = 12; break;           // a core header's size on an info header
        case 'S': header->biSize = 4096; break;         // a header larger than its block
        case 'b': header->biBitCount = 7; break;
        case 'p': header->biPlanes = 3; break;
        case 'r': header->biCompression = BI_RLE8; break;
        case 'c': header->biBitCount = 8; header->biClrUsed = 1000; break;  // more colours than 8 bits have
        case 't': header->biBitCount = 8; header->biClrUsed = 0; break;     // a 256-colour table not in the block
        case 'u': pixelSize -= 1; break;                // one byte short of the last row
    }
    LocalUnlock(info);
    if (mode == 'i') info = LocalReAlloc(info, 20, LMEM_MOVEABLE);  // a block shorter than any header
    HLOCAL pixels = LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, pixelSize);
    if (mode == 'P') {  // the bitmap info without pixels
        LocalFree(pixels);
        pixels = nullptr;
    }
    if (mode == 'I') {  // pixels without the bitmap info
        LocalFree(info);
        info = nullptr;
    }
    *pHBInfo = info;
    *pHBm = pixels;
    return spi::kSuccess;
}
