// Test "plug-in" lacking GetPicture: the host must unload and skip it.
#include "PluginCommon.h"

SPI_EXPORT int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono == 2) return plugin::CopyInfo(buf, buflen, "*.nox");
    if (infono == 3) return plugin::CopyInfo(buf, buflen, "No GetPicture");
    return 0;
}

SPI_EXPORT int __stdcall IsSupported(LPCSTR, DWORD) { return 1; }
