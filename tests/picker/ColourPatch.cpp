// Stands in for another program's window in the pick's end-to-end run: a topmost window filled with one colour.
//   picker_colour_patch X Y WIDTH HEIGHT RRGGBB
// Its title is "VelmiraPickPatch"; it stays until it is closed.
#include <windows.h>

#include <cstdlib>

namespace {

LRESULT CALLBACK PatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        RECT client{};
        ::GetClientRect(hwnd, &client);
        ::FillRect(dc, &client, reinterpret_cast<HBRUSH>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA)));
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) return 1;
    const unsigned long rgb = std::strtoul(argv[5], nullptr, 16);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &PatchProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "VelmiraPickPatch";
    if (!::RegisterClassExA(&wc)) return 2;
    HBRUSH brush = ::CreateSolidBrush(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
    HWND hwnd = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "VelmiraPickPatch", "VelmiraPickPatch", WS_POPUP,
                                  std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                                  nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) return 3;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(brush));
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    ::DeleteObject(brush);
    return 0;
}
