// The floor for start-up: the least a program built like Velmira (same toolchain, static runtime, an owner
// window, a topmost captioned window with the main window's client size and place) must do before its
// window shows and is painted. The start-up benchmark times this against the real program.
#include <windows.h>

namespace {

constexpr char kClass[] = "VelmiraMinimalWindow";
constexpr char kTitle[] = "Velmira minimal window";

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(hwnd, &paint);
        ::FillRect(dc, &paint.rcPaint, ::GetSysColorBrush(COLOR_BTNFACE));
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel, as in the program
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kClass;
    if (!::RegisterClassExA(&wc)) return 1;

    constexpr DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    RECT r{0, 0, 467, 323};  // the main window's client size
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const HWND window = ::CreateWindowExA(exStyle, kClass, kTitle, style, 200, 100, r.right - r.left,
                                          r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ::ShowWindow(window, SW_SHOW);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
