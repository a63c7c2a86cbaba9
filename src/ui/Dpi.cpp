#include "ui/Dpi.h"

#include "ui/SystemLibrary.h"
#include "ui/UniqueHandle.h"

namespace ui {
namespace {

// These entry points are newer than the oldest system the program runs on, so they are looked up, not linked.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
constexpr int kMdtEffectiveDpi = 0;

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
    return dpi > 0 ? static_cast<UINT>(dpi) : kLayoutDpi;
}

UINT DpiOfWindow(HWND hwnd) noexcept {
    static const auto getDpiForWindow = LoadedSystemExport<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
    if (hwnd && getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hwnd)) return dpi;
    }
    return hwnd ? DpiOfMonitor(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST)) : SystemDpi();
}

RECT FrameAround(RECT client, DWORD style, DWORD exStyle, UINT dpi) noexcept {
    static const auto adjustForDpi =
        LoadedSystemExport<AdjustWindowRectExForDpiFn>("user32.dll", "AdjustWindowRectExForDpi");
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
