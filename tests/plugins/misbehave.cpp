// Test plug-in that misbehaves before it is ever asked about a file, built once for each way (MISBEHAVE):
// 1 faults in its DLL's start-up code, 2 faults in GetPluginInfo, 3 never returns from GetPluginInfo,
// 4 takes 1.5 seconds in its start-up code and again when asked for its pattern, then answers; 5 takes 6 seconds
// for every information index and always has another pair.
#include "PluginCommon.h"

namespace {

void Misbehave(int infono) {
    if (MISBEHAVE == 2) *static_cast<volatile int*>(nullptr) = 0;
    if (MISBEHAVE == 3)
        for (;;) Sleep(INFINITE);
    if (MISBEHAVE == 4 && infono == 2) Sleep(1500);
    if (MISBEHAVE == 5) Sleep(6000);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH && MISBEHAVE == 1) *static_cast<volatile int*>(nullptr) = 0;
    if (reason == DLL_PROCESS_ATTACH && MISBEHAVE == 4) Sleep(1500);
    return TRUE;
}

SPI_EXPORT int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    Misbehave(infono);
    if (infono == 2) return plugin::CopyInfo(buf, buflen, "*.mis");
    if (infono == 3) return plugin::CopyInfo(buf, buflen, "Misbehaving");
    if (MISBEHAVE == 5) return plugin::CopyInfo(buf, buflen, infono % 2 ? "Slow" : "*.slow");
    return 0;
}

SPI_EXPORT int __stdcall IsSupported(LPCSTR, DWORD) { return 0; }

SPI_EXPORT int __stdcall GetPicture(LPCSTR, LONG, UINT, HANDLE*, HANDLE*, spi::ProgressCallback, LONG) {
    return spi::kNotImplemented;
}
