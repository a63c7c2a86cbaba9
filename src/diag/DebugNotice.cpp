#include "diag/DebugNotice.h"

ST_DebugNotice DebugNotice;

int DebugAttach(ST_DebugNotice& record, HWND applicationWindow) {
    record.applicationWindow = applicationWindow;
    DebugNotify(record);
    return 1;
}

LRESULT DebugNotify(const ST_DebugNotice& record) {
    HWND monitor = ::FindWindowA(nullptr, "Ostrimund");
    if (!monitor) return 0;
    // The data is the one byte "1"; its terminating zero is not counted.
    static char text[] = "1";
    COPYDATASTRUCT data{};
    data.dwData = 1;
    data.cbData = 1;
    data.lpData = text;
    return ::SendMessageA(monitor, WM_COPYDATA, reinterpret_cast<WPARAM>(record.applicationWindow),
                          reinterpret_cast<LPARAM>(&data));
}
