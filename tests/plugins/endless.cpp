// Test plug-in that answers every information index, so that a host asking until a description index answers 0
// would never stop. Pattern n is "*.e<n>", description n "Endless <n>".
#include <cstdio>

#include "PluginCommon.h"

SPI_EXPORT int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono < 2 || buflen <= 0) return 0;
    const int pair = (infono - 2) / 2;
    char text[32];
    std::snprintf(text, sizeof text, infono % 2 == 0 ? "*.e%d" : "Endless %d", pair);
    return plugin::CopyInfo(buf, buflen, text);
}

SPI_EXPORT int __stdcall IsSupported(LPCSTR, DWORD) { return 0; }

SPI_EXPORT int __stdcall GetPicture(LPCSTR, LONG, UINT, HANDLE*, HANDLE*, spi::ProgressCallback, LONG) {
    return spi::kNotImplemented;
}
