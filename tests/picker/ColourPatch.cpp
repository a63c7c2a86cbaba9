// Stands in for another program's window in the pick's end-to-end run: a topmost window filled with one colour.
//   picker_colour_patch X Y WIDTH HEIGHT RRGGBB
// Its title is "VelmiraPickPatch"; it stays until it is closed.
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "support/PatternWindow.h"

int main(int argc, char** argv) {
    if (argc != 6) return 1;
    const unsigned long rgb = std::strtoul(argv[5], nullptr, 16);
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
    try {
        const testsupport::PatternWindow patch(RECT{x, y, x + std::atoi(argv[3]), y + std::atoi(argv[4])},
                                               RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF),
                                               "VelmiraPickPatch");
        MSG msg;
        while (::IsWindow(patch.Handle()) && ::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    } catch (const std::exception&) {
        return 2;
    }
    return 0;
}
