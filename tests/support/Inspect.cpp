// A small Windows tool for the end-to-end scripts (run it inside the program's desktop: windows of
// another desktop are not found): looks into a running program's windows from outside,
// closes them, and runs a program to report its exit code.
//   inspect tree  "<window title>"            every control: class|left,top,width,height|enabled|text|scroll position
//   inspect wait  "<window title>" <ms>       waits until the window is shown (exit code 1 on time-out)
//   inspect focus "<window title>"            the control with the keyboard focus: class|left,top,width,height
//   inspect close "<window title>"            posts WM_CLOSE to the window
//   inspect origin "<window title>"           prints the screen position of the window's client area
//   inspect run   <program> <exit-code file>  runs the program, waits, writes its exit code to the file
//   inspect version <file>                    the file's version resource as the Properties page reads it:
//                                             Version=a.b.c.d, Translation=llll/cp, then Name=value strings
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

HWND g_top = nullptr;

BOOL CALLBACK PrintControl(HWND hwnd, LPARAM) {
    char cls[64] = {};
    ::GetClassNameA(hwnd, cls, sizeof cls);
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, g_top, reinterpret_cast<POINT*>(&r), 2);
    const int length = static_cast<int>(::SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    ::SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    int scroll = -1;
    if (_stricmp(cls, "ScrollBar") == 0) scroll = ::GetScrollPos(hwnd, SB_CTL);
    std::printf("%s|%ld,%ld,%ld,%ld|%d|%s|%d\n", cls, r.left, r.top, r.right - r.left, r.bottom - r.top,
                ::IsWindowEnabled(hwnd) ? 1 : 0, text.c_str(), scroll);
    return TRUE;
}

int Tree(const char* title) {
    g_top = ::FindWindowA(nullptr, title);
    if (!g_top) return 1;
    ::EnumChildWindows(g_top, &PrintControl, 0);
    std::fflush(stdout);
    return 0;
}

int Wait(const char* title, int ms) {
    for (int waited = 0; waited <= ms; waited += 50) {
        HWND hwnd = ::FindWindowA(nullptr, title);
        if (hwnd && ::IsWindowVisible(hwnd)) return 0;
        ::Sleep(50);
    }
    return 1;
}

int Close(const char* title) {
    HWND hwnd = ::FindWindowA(nullptr, title);
    if (!hwnd) return 1;
    ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return 0;
}

// The control that has the keyboard focus in the window's thread, as "class|left,top,width,height".
int Focus(const char* title) {
    g_top = ::FindWindowA(nullptr, title);
    if (!g_top) return 1;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(g_top, nullptr), &info) || !info.hwndFocus) return 1;
    char cls[64] = {};
    ::GetClassNameA(info.hwndFocus, cls, sizeof cls);
    RECT r{};
    ::GetWindowRect(info.hwndFocus, &r);
    ::MapWindowPoints(nullptr, g_top, reinterpret_cast<POINT*>(&r), 2);
    std::printf("%s|%ld,%ld,%ld,%ld\n", cls, r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fflush(stdout);
    return 0;
}

int Origin(const char* title) {
    HWND hwnd = ::FindWindowA(nullptr, title);
    if (!hwnd) return 1;
    POINT p{0, 0};
    ::ClientToScreen(hwnd, &p);
    std::printf("%ld %ld\n", p.x, p.y);
    std::fflush(stdout);
    return 0;
}

int Run(const char* program, const char* exitCodeFile) {
    std::string commandLine = std::string("\"") + program + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 2;
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    if (FILE* f = std::fopen(exitCodeFile, "w")) {
        std::fprintf(f, "%ld\n", static_cast<long>(static_cast<LONG>(code)));
        std::fclose(f);
    }
    return 0;
}

// The fixed version, the first translation and the strings of its block, read through the same calls
// that the shell uses for the Properties page.
int Version(const char* file) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(file, &ignored);
    if (size == 0) return 1;
    std::vector<char> block(size);
    if (!::GetFileVersionInfoA(file, 0, size, block.data())) return 1;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return 1;
    std::printf("Version=%u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    WORD* translation = nullptr;
    if (!::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &length) || length < 2 * sizeof(WORD)) return 1;
    std::printf("Translation=%04x/%u\n", translation[0], translation[1]);
    const char* const names[] = {"CompanyName", "FileDescription", "FileVersion", "LegalCopyright",
                                 "OriginalFilename", "ProductName", "ProductVersion"};
    for (const char* name : names) {
        char query[96];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
        char* value = nullptr;
        if (::VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &length) && value)
            std::printf("%s=%s\n", name, value);
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace

int Dispatch(int argc, char** argv);

int main(int argc, char** argv) {
    // Programs started into Wine's virtual desktop have no console of ours, and the starter returns before
    // they end: "-o FILE" writes the output and the exit code ("rc=N" last) to FILE, which appears whole.
    if (argc >= 3 && std::strcmp(argv[1], "-o") == 0) {
        const std::string target = argv[2];
        const std::string part = target + ".part";
        if (!std::freopen(part.c_str(), "w", stdout)) return 2;
        const int rc = Dispatch(argc - 2, argv + 2);
        std::printf("rc=%d\n", rc);
        std::fclose(stdout);
        ::MoveFileExA(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
        return rc;
    }
    return Dispatch(argc, argv);
}

int Dispatch(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "tree") == 0) return Tree(argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "wait") == 0) return Wait(argv[2], std::atoi(argv[3]));
    if (argc >= 3 && std::strcmp(argv[1], "close") == 0) return Close(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "origin") == 0) return Origin(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "focus") == 0) return Focus(argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "run") == 0) return Run(argv[2], argv[3]);
    if (argc >= 3 && std::strcmp(argv[1], "version") == 0) return Version(argv[2]);
    std::fprintf(stderr, "usage: inspect tree|wait|focus|close|origin|run|version ...\n");
    return 2;
}
