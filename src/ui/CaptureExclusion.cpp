#include "ui/CaptureExclusion.h"

namespace ui {
namespace {

constexpr DWORD kWdaExcludeFromCapture = 0x11;
constexpr DWORD kFirstBuildThatExcludes = 19041;  // Windows 10 version 2004

template <class Fn>
Fn SystemFunction(const char* module, const char* name) noexcept {
    HMODULE loaded = ::GetModuleHandleA(module);
    return loaded ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(loaded, name))) : nullptr;
}

// The version the system really is: GetVersionEx answers what the manifest lets the program know.
bool SystemCanExclude() noexcept {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    static const bool can = [] {
        const auto rtlGetVersion = SystemFunction<RtlGetVersionFn>("ntdll.dll", "RtlGetVersion");
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
    static const auto setAffinity = SystemFunction<SetAffinityFn>("user32.dll", "SetWindowDisplayAffinity");
    static const auto getAffinity = SystemFunction<GetAffinityFn>("user32.dll", "GetWindowDisplayAffinity");
    if (!setAffinity || !getAffinity || !setAffinity(window, kWdaExcludeFromCapture)) return false;
    DWORD affinity = 0;
    return getAffinity(window, &affinity) && affinity == kWdaExcludeFromCapture;
}

}  // namespace ui
