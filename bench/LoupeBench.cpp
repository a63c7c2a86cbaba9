// Loupe benchmark: the cost of one tick of the loupe while a colour is picked.
//
// Natively: the pure part of a tick that samples a 15 x 15 square (cells, drawing with the square's outline,
// the square's mean, darkest and lightest pixel and the readout's text), and the palette's contrast table for
// twenty distinct colours (380 pairs) with its text.
//
// Natively and under Wine (pure code): the drawing of the loupe's picture from a capture - which cells the
// sight hides, the cells, grid, hatch and rings - at each zoom, at 96 and 144 DPI.
// Under Wine (the Windows build): TLoupeForm::Update as the sight's timer calls it - one screen capture, the
// drawing, the readout text, the move, and the copy to the window - over a window of a positional pattern with
// the real sight in front, the pick point moving a pixel a tick; and each of those steps alone. Then the whole
// tick of the sight's timer in a pick (the loupe's update and the sight's move), the pointer still and moving.
//
//   velmira_loupe_bench                          native: the drawing table
//   velmira_loupe_bench.exe                      Windows: the update and sight tick tables, then the drawing
//   velmira_loupe_bench.exe show X Y [SECONDS [SIDE]]
//                                                Windows: the main window, the sight with the pointer at (X, Y)
//                                                and the loupe at the DPI there sampling a square of SIDE (1),
//                                                held on screen for a screenshot
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "color/ContrastTable.h"
#include "color/SampleStats.h"
#include "picker/LoupeLayout.h"
#include "picker/LoupePicture.h"
#include "picker/ScopePlacement.h"
#include "picker/SampleSquare.h"
#include "picker/ScopeRegion.h"

#ifdef _WIN32
#include <windows.h>

#include <memory>

#include "app/MainForm.h"
#include "color/Contrast.h"
#include "picker/LoupeForm.h"
#include "picker/ScopeForm.h"
#include "support/PatternWindow.h"
#include "ui/Application.h"
#include "ui/Dpi.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

volatile std::uint32_t g_sink = 0;  // keeps the drawn pictures from being optimised away

struct Figures {
    double median = 0, p95 = 0, max = 0;
};

Figures FiguresOf(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return Figures{ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back()};
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The sight's shape as the program builds it, from its rows (X black).
std::vector<velmira::RegionRun> SightRuns() {
    static const char* const rows[29] = {
        "..............X..............", "..............X..............", "...........XXXXXXX...........",
        ".........XX...X...XX.........", ".......XX.....X.....XX.......", "......X.......X.......X......",
        ".....X........X........X.....", "....X.......XXXXX.......X....", "....X.....XX..X..XX.....X....",
        "...X.....X....X....X.....X...", "...X....X....XXX....X....X...", "..X.....X...X.X.X...X.....X..",
        "..X....X...X..X..X...X....X..", "..X....X..X...X...X..X....X..", "XXXXXXXXXXXXXX.XXXXXXXXXXXXXX",
        "..X....X..X...X...X..X....X..", "..X....X...X..X..X...X....X..", "..X.....X...X.X.X...X.....X..",
        "...X....X....XXX....X....X...", "...X.....X....X....X.....X...", "....X.....XX..X..XX.....X....",
        "....X.......XXXXX.......X....", ".....X........X........X.....", "......X.......X.......X......",
        ".......XX.....X.....XX.......", ".........XX...X...XX.........", "...........XXXXXXX...........",
        "..............X..............", "..............X..............",
    };
    return velmira::OpaqueRuns(29, 29, [](int x, int y) { return rows[y][x] == 'X' ? 1u : 0u; });
}

// The cells round the pick point of tick `i` (the pointer moving), drawn with a sampled square of `sample`.
velmira::LoupeCells DrawTick(const velmira::LoupeGeometry& g, const std::vector<velmira::RegionRun>& runs,
                             const std::vector<std::uint32_t>& capture, std::vector<std::uint32_t>& picture, int i,
                             int sample) {
    const velmira::ScreenPoint pointer{400 + i % 50, 300 + i % 37};
    const velmira::ScreenPoint origin = velmira::ScopeWindowOrigin(pointer, 29, 29);
    const velmira::ScreenPoint pick = velmira::ScopeCenter(origin, 29, 29);
    velmira::LoupeCells cells = velmira::LoupeCellsOn(pick, g.pixels, {0, 0, 1920, 1080});
    velmira::HideUnderRuns(cells, pick, runs, origin);
    velmira::PaintLoupe(g, cells, capture.data(), velmira::LoupeColours{}, picture.data(), g.width, sample);
    g_sink = g_sink + picture[static_cast<std::size_t>(i) % picture.size()];
    return cells;
}

void NativeDrawing() {
    const std::vector<velmira::RegionRun> runs = SightRuns();
    std::printf("| Zoom | DPI | Pixels shown | Loupe px | Cells + drawing median ms | p95 ms |\n");
    std::printf("|---:|---:|---:|---|---:|---:|\n");
    for (const unsigned dpi : {96u, 144u}) {
        for (const int zoom : velmira::kLoupeZooms) {
            const velmira::LoupeGeometry g = velmira::LoupeGeometryFor(zoom, dpi);
            std::vector<std::uint32_t> capture(static_cast<std::size_t>(g.pixels) * g.pixels);
            for (std::size_t i = 0; i < capture.size(); ++i) capture[i] = static_cast<std::uint32_t>(i * 2654435761u);
            std::vector<std::uint32_t> picture(static_cast<std::size_t>(g.width) * g.height);
            std::vector<double> ms;
            for (int i = 0; i < 3000; ++i) {
                const auto start = Clock::now();
                DrawTick(g, runs, capture, picture, i, 1);
                ms.push_back(Ms(Clock::now() - start));
            }
            const Figures f = FiguresOf(ms);
            std::printf("| %d | %u | %d x %d | %d x %d | %.4f | %.4f |\n", zoom, dpi, g.pixels, g.pixels, g.width,
                        g.height, f.median, f.p95);
        }
    }
}

// The pure part of a tick at the largest sampled square: what a tick at one pixel does, plus the square's
// outline, its figures and their text.
void NativeSampledTick() {
    const std::vector<velmira::RegionRun> runs = SightRuns();
    const int side = 15;
    const velmira::LoupeGeometry g = velmira::LoupeGeometryFor(velmira::kDefaultLoupeZoom, 96, 3);
    std::vector<std::uint32_t> capture(static_cast<std::size_t>(g.pixels) * g.pixels);
    for (std::size_t i = 0; i < capture.size(); ++i) capture[i] = static_cast<std::uint32_t>(i * 2654435761u);
    std::vector<std::uint32_t> picture(static_cast<std::size_t>(g.width) * g.height);
    const std::vector<velmira::Rgb> white{velmira::Rgb{0xFF, 0xFF, 0xFF}};
    std::vector<double> ms;
    for (int i = 0; i < 3000; ++i) {
        const auto start = Clock::now();
        const velmira::LoupeCells cells = DrawTick(g, runs, capture, picture, i, side);
        const std::vector<velmira::Rgb> square =
            velmira::ColoursOf(velmira::SquareOfCapture(cells, capture.data(), side));
        const std::string text = velmira::SampledReadoutText(velmira::SampleOf(square), white);
        ms.push_back(Ms(Clock::now() - start));
        g_sink = g_sink + static_cast<std::uint32_t>(text.size());
    }
    const Figures f = FiguresOf(ms);
    std::printf("| Loupe tick, 15 x 15 square, zoom 8, 96 DPI (pure part) | %.4f | %.4f | 1 |\n", f.median, f.p95);
}

void NativeContrastTable() {
    std::vector<velmira::Rgb> palette;
    for (int i = 0; i < 20; ++i)
        palette.push_back(velmira::Rgb{static_cast<std::uint8_t>(i * 13), static_cast<std::uint8_t>(255 - i * 11),
                                       static_cast<std::uint8_t>(i * 37 % 256)});
    std::vector<double> ms;
    std::size_t pairs = 0;
    for (int i = 0; i < 300; ++i) {
        const auto start = Clock::now();
        const std::vector<velmira::ContrastTableRow> rows = velmira::ContrastTableRows(palette);
        const std::string text = velmira::ContrastTableText(rows);
        ms.push_back(Ms(Clock::now() - start));
        pairs = rows.size();
        g_sink = g_sink + static_cast<std::uint32_t>(text.size());
    }
    const Figures f = FiguresOf(ms);
    std::printf("| Palette contrast table, 20 colours (%zu pairs), rows and text | %.4f | %.4f | 5 |\n", pairs, f.median,
                f.p95);
}

void NativeSampling() {
    std::printf("| What | Median ms | p95 ms | Limit ms |\n|---|---:|---:|---:|\n");
    NativeSampledTick();
    NativeContrastTable();
}

#ifdef _WIN32

void PumpPending() {
    ui::Application::Get().ProcessMessages();
}

void PumpFor(int ms) {
    const DWORD start = ::GetTickCount();
    while (static_cast<int>(::GetTickCount() - start) < ms) {
        PumpPending();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

TLoupeForm::Readout AgainstWhite() {
    return [](int, const std::vector<std::uint32_t>& square) {
        return velmira::PickReadoutText(velmira::ColoursOf(square).front(), velmira::Rgb{0xFF, 0xFF, 0xFF});
    };
}

void WineUpdates() {
    testsupport::PatternWindow pattern(RECT{200, 150, 900, 750});
    POINT pointer{405, 305};
    ::SetCursorPos(pointer.x, pointer.y);
    TScopeForm scope(nullptr);
    scope.ShowInactive();
    PumpFor(200);
    std::printf("| Zoom | DPI | Pixels shown | Update median ms | p95 ms | max ms | of which, medians: capture ms | "
                "text ms | move ms | copy to window ms |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const UINT dpi : {96u, 144u}) {
        for (const int zoom : velmira::kLoupeZooms) {
            TLoupeForm loupe(nullptr, scope.Handle(), AgainstWhite(), zoom);
            std::vector<double> update, capture, text, move, present;
            for (int i = 0; i < 300; ++i) {
                // The sight moves first, as the pointer does; the loupe shows the pick point it has reached.
                pointer = POINT{405 + i % 200, 305 + (i / 2) % 150};
                ::SetCursorPos(pointer.x, pointer.y);
                scope.MoveToCursor();
                PumpPending();
                const POINT pick = scope.GetCenter();
                auto start = Clock::now();
                loupe.Update(pick, pick, pointer, dpi);
                update.push_back(Ms(Clock::now() - start));

                // The steps of a tick one by one, with the same system calls.
                const velmira::LoupeGeometry& g = loupe.Geometry();
                ui::Canvas copy(g.pixels, g.pixels);
                start = Clock::now();
                {
                    ui::ScopedGetDC screen(nullptr);
                    ::BitBlt(copy.DC(), 0, 0, g.pixels, g.pixels, screen.get(), pick.x - g.pixels / 2,
                             pick.y - g.pixels / 2, SRCCOPY);
                }
                ::GdiFlush();
                capture.push_back(Ms(Clock::now() - start));
                ui::Canvas picture(g.width, g.height);
                start = Clock::now();
                TLoupeForm::DrawReadout(picture.DC(), g, loupe.ReadoutFont(), "12AB0C  3.02:1");
                ::GdiFlush();
                text.push_back(Ms(Clock::now() - start));
                RECT at{};
                ::GetWindowRect(loupe.Handle(), &at);
                start = Clock::now();
                ::SetWindowPos(loupe.Handle(), nullptr, at.left + (i % 2 ? 1 : -1), at.top, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                move.push_back(Ms(Clock::now() - start));
                start = Clock::now();
                {
                    ui::ScopedGetDC window(loupe.Handle());
                    ::BitBlt(window.get(), 0, 0, g.width, g.height, picture.DC(), 0, 0, SRCCOPY);
                }
                present.push_back(Ms(Clock::now() - start));
            }
            const int n = loupe.Geometry().pixels;
            const Figures u = FiguresOf(update);
            std::printf("| %d | %u | %d x %d | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f | %.3f |\n", zoom, dpi, n, n,
                        u.median, u.p95, u.max, FiguresOf(capture).median, FiguresOf(text).median,
                        FiguresOf(move).median, FiguresOf(present).median);
        }
    }
}

// A whole tick of the sight's timer as a pick runs it: the loupe's update (the DPI under the pointer asked once
// for each monitor), then the sight's move; with the pointer still, and moving a pixel a tick.
void SightTicks() {
    testsupport::PatternWindow pattern(RECT{200, 150, 900, 750});
    POINT pointer{405, 305};
    ::SetCursorPos(pointer.x, pointer.y);
    TMainForm form;  // the owner of the pick, as in the program; not shown
    form.Pick().Start(AgainstWhite());
    PumpFor(300);
    TScopeForm& scope = *form.Pick().Scope();
    std::printf("| Pointer | Sight tick median ms | p95 ms | max ms |\n|---|---:|---:|---:|\n");
    for (const bool moving : {false, true}) {
        std::vector<double> ticks;
        for (int i = 0; i < 300; ++i) {
            if (moving) {
                pointer = POINT{405 + i % 200, 305 + (i / 2) % 150};
                ::SetCursorPos(pointer.x, pointer.y);
            }
            PumpPending();
            const auto start = Clock::now();
            scope.TimerTimer();
            ticks.push_back(Ms(Clock::now() - start));
        }
        const Figures f = FiguresOf(ticks);
        std::printf("| %s | %.3f | %.3f | %.3f |\n", moving ? "moving a pixel a tick" : "still", f.median, f.p95,
                    f.max);
    }
    form.Pick().Cancel();
}

// The main window as a user sees it, the sight over it and the loupe beside, left standing for a screenshot.
void Show(POINT pointer, int seconds, int side) {
    auto form = std::make_unique<TMainForm>();
    form->Show();
    PumpFor(300);
    ::SetCursorPos(pointer.x, pointer.y);
    TScopeForm scope(form->Handle());
    scope.SetClearSquare(side);
    scope.ShowInactive();
    PumpFor(300);
    const velmira::Rgb other = form->BackGColor().Colour();
    TLoupeForm loupe(
        form->Handle(), scope.Handle(),
        [other](int sampled, const std::vector<std::uint32_t>& square) {
            const std::vector<velmira::Rgb> colours = velmira::ColoursOf(square);
            return sampled > 1 ? velmira::SampledReadoutText(velmira::SampleOf(colours), {other})
                               : velmira::PickReadoutText(colours.front(), other);
        },
        velmira::kDefaultLoupeZoom, side);
    const UINT dpi = ui::DpiAtPoint(pointer);
    loupe.Update(scope.GetCenter(), scope.GetCenter(), pointer, dpi);
    RECT at{};
    ::GetWindowRect(loupe.Handle(), &at);
    std::printf("dpi %u, loupe at %ld,%ld size %ldx%ld, hatches the sight: %s\n", dpi, at.left, at.top,
                at.right - at.left, at.bottom - at.top, loupe.HatchesSight() ? "yes" : "no");
    std::fflush(stdout);
    const DWORD start = ::GetTickCount();
    while (static_cast<int>(::GetTickCount() - start) < seconds * 1000) {
        PumpFor(30);
        loupe.Update(scope.GetCenter(), scope.GetCenter(), pointer, dpi);
    }
}

#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    ui::Application& app = ui::Application::Get();
    app.Initialize();
    app.SetTitle("Velmira");
    if (argc >= 4 && std::string(argv[1]) == "show") {
        Show(POINT{std::atoi(argv[2]), std::atoi(argv[3])}, argc > 4 ? std::atoi(argv[4]) : 10,
             argc > 5 ? std::atoi(argv[5]) : 1);
        return 0;
    }
    std::printf("## One loupe tick under Wine (300 ticks each, the pick point moving)\n\n");
    WineUpdates();
    std::printf("\n## One tick of the sight's timer during a pick under Wine, the loupe's update and the sight's move "
                "(300 ticks each)\n\n");
    SightTicks();
    std::printf("\n## Drawing one loupe picture under Wine, the pure part of a tick (3000 pictures each)\n\n");
#else
    (void)argc;
    (void)argv;
    std::printf("## Drawing one loupe picture, native (3000 pictures each)\n\n");
#endif
    NativeDrawing();
    std::printf("\n## A sampled square's tick (pure part) and the palette's contrast table (3000 and 300 runs)\n\n");
    NativeSampling();
    return 0;
}
