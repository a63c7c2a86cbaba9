// Test plug-in whose information texts fill the whole buffer without a terminating zero. The description
// ends in a lead byte whose trail byte did not fit.
#include "PluginCommon.h"

SPI_EXPORT int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono == 2) {
        static const char kCycle[] = "*.full;";
        for (int i = 0; i < buflen; ++i) buf[i] = kCycle[i % 7];
        return buflen;
    }
    if (infono == 3) {
        // "ア" in code page 932 is 0x83 0x41; the text ends "...アアx" and a lone 0x83.
        for (int i = 0; i + 1 < buflen; i += 2) {
            buf[i] = '\x83';
            buf[i + 1] = 'A';
        }
        buf[buflen - 2] = 'x';
        buf[buflen - 1] = '\x83';
        return buflen;
    }
    return 0;
}

SPI_EXPORT int __stdcall IsSupported(LPCSTR, DWORD) { return 0; }

SPI_EXPORT int __stdcall GetPicture(LPCSTR, LONG, UINT, HANDLE*, HANDLE*, spi::ProgressCallback, LONG) {
    return spi::kNotImplemented;
}
