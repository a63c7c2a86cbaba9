// Test plug-in that lays the picture record out packed (26 bytes, the text-information handle at byte 22)
// and hands back a real handle there. Accepts files starting with "PACK"; decodes them to a 2 x 2 32-bit DIB.
#include "PluginCommon.h"

namespace {
HLOCAL g_textInfo = nullptr;
// Bottom-up rows of 0x00RRGGBB: the bottom row first.
const DWORD kPixels[4] = {0x00102030, 0x00405060, 0x00FF0000, 0x0000FF00};
}  // namespace

SPI_EXPORT int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono == 2) return plugin::CopyInfo(buf, buflen, "*.pak");
    if (infono == 3) return plugin::CopyInfo(buf, buflen, "Packed record");
    return 0;
}

SPI_EXPORT int __stdcall IsSupported(LPCSTR, DWORD dw) {
    char head[4];
    return plugin::ReadSupportedHead(dw, head, sizeof head) && head[0] == 'P' && head[1] == 'A' && head[2] == 'C' &&
           head[3] == 'K';
}

SPI_EXPORT int __stdcall GetPictureInfo(LPCSTR, LONG, UINT, void* lpInfo) {
    auto* info = static_cast<spi::PackedPictureInfo*>(lpInfo);
    g_textInfo = LocalAlloc(LMEM_MOVEABLE, 16);
    *info = spi::PackedPictureInfo{0, 0, 2, 2, 0, 0, 32, g_textInfo};
    return spi::kSuccess;
}

SPI_EXPORT int __stdcall GetPicture(LPCSTR, LONG, UINT, HANDLE* pHBInfo, HANDLE* pHBm, spi::ProgressCallback,
                                    LONG) {
    HLOCAL info = plugin::MakeBitmapInfo(LMEM_FIXED, 2, 2, 32, 0);
    HLOCAL pixels = LocalAlloc(LMEM_MOVEABLE, sizeof kPixels);
    CopyMemory(LocalLock(pixels), kPixels, sizeof kPixels);
    LocalUnlock(pixels);
    *pHBInfo = info;
    *pHBm = pixels;
    return spi::kSuccess;
}

// Test-only: whether the text-information handle is still allocated (1), freed (0) or never made (-1).
SPI_EXPORT int __stdcall TestTextInfoAlive() { return plugin::HandleState(g_textInfo); }
