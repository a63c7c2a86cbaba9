#pragma once
// The start-up notice to an external debug monitor: a window titled "Ostrimund", when one exists, is sent
// one WM_COPYDATA carrying the application window's handle. Nothing else is reported anywhere.
#include <windows.h>

namespace velmira {

struct ST_DebugNotice {
    HWND applicationWindow = nullptr;
};

// The program's one record, set once at start-up.
extern ST_DebugNotice DebugNotice;

// Stores the handle in the record and sends the notice; always 1.
int DebugAttach(ST_DebugNotice& record, HWND applicationWindow);
// 0 when no monitor window exists or it does not answer within a short while, otherwise the monitor's reply.
LRESULT DebugNotify(const ST_DebugNotice& record);

}  // namespace velmira
