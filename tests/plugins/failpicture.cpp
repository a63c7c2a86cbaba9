// Test plug-in: accepts every file and reports a size, but GetPicture fails.
#include "PluginCommon.h"

SPI_EXPORT int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono == 2) return plugin::CopyInfo(buf, buflen, "*.fail");
    if (infono == 3) return plugin::CopyInfo(buf, buflen, "Failing picture");
    return 0;
}

SPI_EXPORT int __stdcall IsSupported(LPCSTR, DWORD) { return 1; }

SPI_EXPORT int __stdcall GetPictureInfo(LPCSTR, LONG, UINT, spi::PictureInfo* lpInfo) {
    *lpInfo = spi::PictureInfo{0, 0, 4, 3, 0, 0, 24, 0, nullptr};
    return spi::kSuccess;
}

SPI_EXPORT int __stdcall GetPicture(LPCSTR, LONG, UINT, HANDLE* pHBInfo, HANDLE* pHBm, spi::ProgressCallback,
                                    LONG) {
    *pHBInfo = nullptr;
    *pHBm = nullptr;
    return spi::kOutOfMemory;
}
