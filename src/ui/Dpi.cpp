#include "ui/Dpi.h"

#include "ui/SystemLibrary.h"
#include "ui/UniqueHandle.h"

namespace ui {
namespace {

// Both entry points are newer than the oldest system the program runs on, so they are looked up, not linked.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
constexpr int kMdtEffectiveDpi = 0;

template <class Fn>
Fn User32Function(const char* name) {
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(user32, name))) : nullptr;
}

UINT DpiOfMonitor(HMONITOR monitor) noexcept {
    // Loaded on first use and kept: the pick asks on every tick of its timer.
    static const SystemLibrary shcore("shcore.dll");
    static const auto getDpiForMonitor = shcore.Function<GetDpiForMonitorFn>("GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (monitor && getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, kMdtEffectiveDpi, &x, &y)) && x != 0)
        return x;
    return SystemDpi();
}

}  // namespace

UINT SystemDpi() noexcept {
    const ScopedGetDC screen(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT DpiOfWindow(HWND hwnd) noexcept {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (hwnd && getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hwnd)) return dpi;
    }
    return hwnd ? DpiOfMonitor(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST)) : SystemDpi();
}

RECT FrameAround(RECT client, DWORD style, DWORD exStyle, UINT dpi) noexcept {
    static const auto adjustForDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT r = client;
    if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, dpi)) {
        r = client;
        ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    }
    return r;
}

UINT DpiAtPoint(POINT screenPoint) noexcept {
    return DpiOfMonitor(::MonitorFromPoint(screenPoint, MONITOR_DEFAULTTONEAREST));
}

}  // namespace ui
