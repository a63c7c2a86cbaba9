#include "diag/DebugNotice.h"

namespace velmira {

ST_DebugNotice DebugNotice;

namespace {

// A monitor that answers does so at once; one whose thread hangs must not hold up the program's start.
constexpr UINT kNoticeTimeoutMs = 500;

}  // namespace

int DebugAttach(ST_DebugNotice& record, HWND applicationWindow) {
    record.applicationWindow = applicationWindow;
    DebugNotify(record);
    return 1;
}

LRESULT DebugNotify(const ST_DebugNotice& record) {
    HWND monitor = ::FindWindowA(nullptr, "Ostrimund");
    if (!monitor) return 0;
    // The data is the one byte "1"; its terminating zero is not counted. Both live as long as the program: a
    // monitor that stops hanging may take the notice after the wait for it was given up.
    static char text[] = "1";
    static COPYDATASTRUCT data{1, 1, text};
    DWORD_PTR reply = 0;
    if (!::SendMessageTimeoutA(monitor, WM_COPYDATA, reinterpret_cast<WPARAM>(record.applicationWindow),
                               reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kNoticeTimeoutMs,
                               &reply))
        return 0;  // hung, or gone meanwhile
    return static_cast<LRESULT>(reply);
}

}  // namespace velmira
