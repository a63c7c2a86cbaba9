// Test plug-in without GetPictureInfo: accepts every file; its GetPicture must never be reached.
#include "PluginCommon.h"

namespace {
LONG g_getPictureCalls = 0;
}

SPI_EXPORT int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono == 2) return plugin::CopyInfo(buf, buflen, "*.noi");
    if (infono == 3) return plugin::CopyInfo(buf, buflen, "No picture information");
    return 0;
}

SPI_EXPORT int __stdcall IsSupported(LPCSTR, DWORD) { return 1; }

SPI_EXPORT int __stdcall GetPicture(LPCSTR, LONG, UINT, HANDLE*, HANDLE*, spi::ProgressCallback, LONG) {
    ++g_getPictureCalls;
    return spi::kNotImplemented;
}

SPI_EXPORT LONG __stdcall TestGetPictureCalls() { return g_getPictureCalls; }
