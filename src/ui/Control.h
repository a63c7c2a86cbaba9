#pragma once
// What every control shares: where it goes in its parent, its identifier, and where its context menu goes.
#include <windows.h>

#include "ui/Container.h"

namespace ui {

// Where a child control goes: its parent and its rectangle in the parent's client area, in 96-DPI figures that
// the control scales for its parent's DPI.
struct Place {
    Container& parent;
    int left;
    int top;
    int width;
    int height;
};

// Each child gets its own control identifier; they start above the dialog manager's IDOK and IDCANCEL.
int NextControlId();

// Where the menu that WM_CONTEXTMENU asks for goes: where the mouse was, or for the keyboard (lParam -1) at the
// window's corner, its top-left or its bottom-left.
POINT ContextMenuPoint(HWND hwnd, LPARAM lParam, bool belowWindow);

}  // namespace ui
