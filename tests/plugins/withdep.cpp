// Test plug-in that imports a DLL of its own (spidep.dll): it loads only where the loader finds that DLL.
#include "PluginCommon.h"

extern "C" __declspec(dllimport) int __stdcall SpiDepAnswer();

SPI_EXPORT int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono == 2) return plugin::CopyInfo(buf, buflen, "*.dep");
    if (infono == 3) return plugin::CopyInfo(buf, buflen, SpiDepAnswer() == 42 ? "With its own DLL" : "?");
    return 0;
}

SPI_EXPORT int __stdcall IsSupported(LPCSTR, DWORD) { return 0; }

SPI_EXPORT int __stdcall GetPicture(LPCSTR, LONG, UINT, HANDLE*, HANDLE*, spi::ProgressCallback, LONG) {
    return spi::kNotImplemented;
}
