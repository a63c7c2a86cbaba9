// Another program that holds the clipboard open: opens it with a window of its own, signals the event named by
// its first argument, and closes the clipboard once the event named by its second argument is set.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE release = ::OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (!ready || !release) return 3;
    HWND window = ::CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!window || !::OpenClipboard(window)) return 4;
    ::SetEvent(ready);
    const DWORD waited = ::WaitForSingleObject(release, 60000);
    ::CloseClipboard();
    ::DestroyWindow(window);
    ::CloseHandle(ready);
    ::CloseHandle(release);
    return waited == WAIT_OBJECT_0 ? 0 : 5;
}
