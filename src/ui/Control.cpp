#include "ui/Control.h"

namespace ui {

int NextControlId() {
    static int next = 100;
    return next++;
}

POINT ContextMenuPoint(HWND hwnd, LPARAM lParam, bool belowWindow) {
    if (lParam != -1) return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    RECT client{};
    ::GetClientRect(hwnd, &client);
    POINT at{0, belowWindow ? client.bottom : 0};
    ::ClientToScreen(hwnd, &at);
    return at;
}

}  // namespace ui
