// Test plug-in: reports two pattern/description pairs and nothing at index 6. Like plug-ins that read their
// string table past its end, it must never be asked index 7: that is recorded as a violation.
// IsSupported reads the file's head and accepts nothing; handed the head's buffer, it writes over it, as
// plug-ins that decode in place do, and a host must not hand that buffer to the next plug-in.
#include "PluginCommon.h"

namespace {

constexpr int kMaxRecorded = 64;
int g_asked[kMaxRecorded];
int g_askedCount = 0;
LONG g_violations = 0;

}  // namespace

SPI_EXPORT int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (g_askedCount < kMaxRecorded) g_asked[g_askedCount] = infono;
    ++g_askedCount;
    if (buflen != 260) ++g_violations;
    static const char* const texts[] = {"00IN", "Two pairs", "*.aaa", "First pair", "*.bbb", "Second pair"};
    if (infono >= 0 && infono < 6) return plugin::CopyInfo(buf, buflen, texts[infono]);
    if (infono == 6) return 0;
    ++g_violations;
    return plugin::CopyInfo(buf, buflen, "past the end");
}

SPI_EXPORT int __stdcall IsSupported(LPCSTR, DWORD dw) {
    char head[2];
    plugin::ReadSupportedHead(dw, head, sizeof head);
    if (HIWORD(dw) != 0) ZeroMemory(reinterpret_cast<void*>(static_cast<ULONG_PTR>(dw)), 2048);
    return 0;
}

SPI_EXPORT int __stdcall GetPicture(LPCSTR, LONG, UINT, HANDLE*, HANDLE*, spi::ProgressCallback, LONG) {
    ++g_violations;
    return spi::kNotImplemented;
}

// Test-only: the information indexes asked, in order (up to max of them); returns how many were asked.
SPI_EXPORT int __stdcall TestAskedIndexes(int* out, int max) {
    for (int i = 0; i < max && i < g_askedCount && i < kMaxRecorded; ++i) out[i] = g_asked[i];
    return g_askedCount;
}
SPI_EXPORT LONG __stdcall TestViolations() { return g_violations; }
