#pragma once
// Keeping a window of ours out of screen captures while it shows on the monitor, so that a program (or
// we ourselves) reading the screen sees what lies beneath it.
#include <windows.h>

namespace ui {

// True when the system leaves `window` out of every capture, the screen DC's included. Only Windows 10
// version 2004 and later can: older systems take the request as "show the window black in captures", so they
// are not asked; Wine lacks it, and a remote session may refuse it.
bool ExcludeFromScreenCapture(HWND window) noexcept;

}  // namespace ui
