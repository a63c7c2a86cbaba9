// Times a program's start-up from outside: from CreateProcess until its window is visible, and until the
// window shows its painted colours at chosen client points (read back from the screen). The program is not
// changed or told anything; after each run the probe ends the process it started.
//
//   velmira_startup_probe RUNS NAME TITLE POINTS EXE [NAME TITLE POINTS EXE ...]
//     NAME    what the table calls the program
//     TITLE   its window's exact caption
//     POINTS  "x,y,RRGGBB[;x,y,RRGGBB...]": client points and the colour each shows once painted;
//             "btnface" and "window" in place of RRGGBB stand for those system colours
//     EXE     the program (Windows path); it starts in its own folder, with no arguments
// The programs take turns, run after run, so that a busy machine slows them alike. The first round only
// warms up. Prints every run, then a table of medians with each program's ratio to the first and the second, and
// the program's own peak memory up to that moment (its private bytes and its working set, as the system counts
// them for the process).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Point {
    int x;
    int y;
    COLORREF colour;
};

std::vector<Point> ParsePoints(const std::string& text) {
    std::vector<Point> points;
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ';')) {
        Point p{};
        char colour[32] = {};
        if (std::sscanf(item.c_str(), "%d,%d,%31s", &p.x, &p.y, colour) != 3) continue;
        if (std::string(colour) == "btnface") {
            p.colour = ::GetSysColor(COLOR_BTNFACE);
        } else if (std::string(colour) == "window") {
            p.colour = ::GetSysColor(COLOR_WINDOW);
        } else {
            const unsigned long rgb = std::strtoul(colour, nullptr, 16);
            p.colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        }
        points.push_back(p);
    }
    return points;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency);
}

// The visible top-level window with this caption that belongs to the process.
HWND FindProcessWindow(const std::string& title, DWORD processId) {
    for (HWND w = ::FindWindowExA(nullptr, nullptr, nullptr, title.c_str()); w;
         w = ::FindWindowExA(nullptr, w, nullptr, title.c_str())) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        if (owner == processId && ::IsWindowVisible(w)) return w;
    }
    return nullptr;
}

// Screen points and colours of the last window found painted: the next run starts only once the screen
// there has been cleared, so that no run can mistake its predecessor's pixels for its own.
std::vector<Point> g_lastPainted;

bool ScreenShows(const std::vector<Point>& screenPoints) {
    const HDC screen = ::GetDC(nullptr);
    bool all = true;
    for (const Point& p : screenPoints) {
        if (::GetPixel(screen, p.x, p.y) != p.colour) {
            all = false;
            break;
        }
    }
    ::ReleaseDC(nullptr, screen);
    return all;
}

bool Painted(HWND window, const std::vector<Point>& points) {
    std::vector<Point> onScreen;
    for (const Point& p : points) {
        POINT at{p.x, p.y};
        ::ClientToScreen(window, &at);
        onScreen.push_back(Point{at.x, at.y, p.colour});
    }
    if (!ScreenShows(onScreen)) return false;
    g_lastPainted = onScreen;
    return true;
}

void WaitForClearedScreen() {
    for (int i = 0; i < 2000 && !g_lastPainted.empty() && ScreenShows(g_lastPainted); ++i) ::Sleep(1);
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

struct Run {
    double visibleMs = -1;
    double paintedMs = -1;
    double peakPrivateMb = -1;
    double peakWorkingSetMb = -1;
};

Run StartOnce(const std::string& commandLine, const std::string& folder, const std::string& title,
              const std::vector<Point>& points) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    WaitForClearedScreen();
    LARGE_INTEGER start, now;
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "cannot start %s (%lu)\n", commandLine.c_str(), ::GetLastError());
        std::exit(1);
    }
    Run run;
    HWND window = nullptr;
    for (;;) {
        ::QueryPerformanceCounter(&now);
        const double elapsed = Milliseconds(start, now);
        if (elapsed > 60000) break;  // reported as -1
        if (!window) {
            window = FindProcessWindow(title, process.dwProcessId);
            if (window) run.visibleMs = elapsed;
        }
        if (window && Painted(window, points)) {
            run.paintedMs = elapsed;
            PROCESS_MEMORY_COUNTERS memory{};
            if (::GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
                run.peakPrivateMb = memory.PeakPagefileUsage / 1048576.0;
                run.peakWorkingSetMb = memory.PeakWorkingSetSize / 1048576.0;
            }
            break;
        }
        if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;  // it ended by itself
        ::Sleep(1);
    }
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return run;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct Program {
    std::string name;
    std::string title;
    std::vector<Point> points;
    std::string exe;
    std::vector<double> visible;
    std::vector<double> painted;
    std::vector<double> peakPrivate;
    std::vector<double> peakWorkingSet;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6 || (argc - 2) % 4 != 0) {
        std::fprintf(stderr, "usage: velmira_startup_probe RUNS NAME TITLE POINTS EXE [NAME TITLE POINTS EXE ...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<Program> programs;
    for (int i = 2; i + 3 < argc; i += 4)
        programs.push_back(Program{argv[i], argv[i + 1], ParsePoints(argv[i + 2]), argv[i + 3], {}, {}, {}, {}});

    for (int round = 0; round <= runs; ++round) {
        for (Program& p : programs) {
            const std::size_t slash = p.exe.find_last_of('\\');
            const Run run = StartOnce(Quoted(p.exe), slash == std::string::npos ? "" : p.exe.substr(0, slash), p.title, p.points);
            std::printf("%-28s run %2d: visible %8.1f ms, painted %8.1f ms, peak %.1f / %.1f MB%s\n", p.name.c_str(),
                        round, run.visibleMs, run.paintedMs, run.peakPrivateMb, run.peakWorkingSetMb,
                        round == 0 ? " (warm-up)" : "");
            std::fflush(stdout);
            if (run.visibleMs < 0 || run.paintedMs < 0) {
                std::fprintf(stderr, "%s: the window did not appear painted within a minute\n", p.name.c_str());
                return 1;
            }
            if (round == 0) continue;
            p.visible.push_back(run.visibleMs);
            p.painted.push_back(run.paintedMs);
            p.peakPrivate.push_back(run.peakPrivateMb);
            p.peakWorkingSet.push_back(run.peakWorkingSetMb);
        }
    }
    // Each program against the first one (the empty window) and, where there is one, the second (the floor).
    const double empty = Median(programs.front().painted);
    const double floor = programs.size() > 1 ? Median(programs[1].painted) : empty;
    std::printf("\n| Program | Visible ms (median) | Painted ms (median) | Painted / %s | Painted / %s |"
                " Peak MB, private / working set |\n",
                programs.front().name.c_str(), programs.size() > 1 ? programs[1].name.c_str() : "-");
    std::printf("|---|---:|---:|---:|---:|---|\n");
    for (const Program& p : programs)
        std::printf("| %s | %.1f | %.1f | %.2fx | %.2fx | %.1f / %.1f |\n", p.name.c_str(), Median(p.visible),
                    Median(p.painted), Median(p.painted) / empty, Median(p.painted) / floor, Median(p.peakPrivate),
                    Median(p.peakWorkingSet));
    return 0;
}
