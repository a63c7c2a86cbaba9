#include "ui/CaptureExclusion.h"

#include "ui/SystemLibrary.h"

namespace ui {
namespace {

constexpr DWORD kWdaExcludeFromCapture = 0x11;
constexpr DWORD kFirstBuildThatExcludes = 19041;  // Windows 10 version 2004

// The version the system really is: GetVersionEx answers what the manifest lets the program know.
bool SystemCanExclude() noexcept {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    static const bool can = [] {
        const auto rtlGetVersion = LoadedSystemExport<RtlGetVersionFn>("ntdll.dll", "RtlGetVersion");
        OSVERSIONINFOW version{};
        version.dwOSVersionInfoSize = sizeof version;
        if (!rtlGetVersion || rtlGetVersion(&version) != 0) return false;
        return version.dwMajorVersion > 10 ||
               (version.dwMajorVersion == 10 && version.dwBuildNumber >= kFirstBuildThatExcludes);
    }();
    return can;
}

}  // namespace

bool ExcludeFromScreenCapture(HWND window) noexcept {
    using SetAffinityFn = BOOL(WINAPI*)(HWND, DWORD);
    using GetAffinityFn = BOOL(WINAPI*)(HWND, DWORD*);
    if (!window || !SystemCanExclude()) return false;
    static const auto setAffinity = LoadedSystemExport<SetAffinityFn>("user32.dll", "SetWindowDisplayAffinity");
    static const auto getAffinity = LoadedSystemExport<GetAffinityFn>("user32.dll", "GetWindowDisplayAffinity");
    if (!setAffinity || !getAffinity || !setAffinity(window, kWdaExcludeFromCapture)) return false;
    DWORD affinity = 0;
    return getAffinity(window, &affinity) && affinity == kWdaExcludeFromCapture;
}

}  // namespace ui
