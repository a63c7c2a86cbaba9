// Scroll benchmark: the real main window, built in-process, gets WM_HSCROLL SB_THUMBTRACK for every thumb
// position 0..255 of one colour bar, as a full drag of the thumb sends them. For each notification it times
// the handler (the bar's scroll handler plus UpdateColor, inside SendMessage) and the repaint that follows,
// and it counts the window calls the handler makes that change nothing: WM_SETTEXT to an edit with the text
// it already shows, SBM_SETSCROLLINFO / SBM_SETPOS to a bar with the position it already has.
//
// It also times the main window's creation step by step, to show where start-up goes.
//
//   velmira_scroll_bench.exe [PLUGIN_FOLDER [PICTURE]]
//     prints the creation costs, then one table row per bar dragged; with a plug-in folder and a picture,
//     the costs of loading those plug-ins and that picture too (the settings file beside it is removed)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "settings/Settings.h"
#include "ui/Application.h"

namespace {

constexpr UINT_PTR kCounterId = 0x5C0C;

struct Counts {
    int setText = 0;
    int setTextUnchanged = 0;
    int setScroll = 0;
    int setScrollUnchanged = 0;
};

Counts g_counts;
bool g_counting = false;
// The dragged bar stands at the new thumb place only because the drag is played without a mouse (see
// Notify); what it showed before the notification is what a handler's SetScrollInfo would compare with.
std::map<HWND, int> g_shownBefore;

int ShownPosition(HWND bar) {
    const auto it = g_shownBefore.find(bar);
    if (it != g_shownBefore.end()) return it->second;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    ::GetScrollInfo(bar, SB_CTL, &info);
    return info.nPos;
}

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (g_counting) {
        if (msg == WM_SETTEXT) {
            ++g_counts.setText;
            char current[256] = {};
            ::GetWindowTextA(hwnd, current, sizeof current);
            if (lParam && std::string(current) == reinterpret_cast<const char*>(lParam)) ++g_counts.setTextUnchanged;
        } else if (msg == SBM_SETSCROLLINFO) {
            ++g_counts.setScroll;
            const auto* info = reinterpret_cast<const SCROLLINFO*>(lParam);
            // Only position changes are looked at: the handlers set nothing else while the program runs.
            if (info && (info->fMask & ~SIF_DISABLENOSCROLL) == SIF_POS && info->nPos == ShownPosition(hwnd))
                ++g_counts.setScrollUnchanged;
        } else if (msg == SBM_SETPOS) {
            ++g_counts.setScroll;
            if (static_cast<int>(wParam) == ShownPosition(hwnd)) ++g_counts.setScrollUnchanged;
        }
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

double Now() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void PumpPending() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// One thumb-track notification as the bar sends it during a drag. Without a mouse there is no track
// position, and the bar reports its position instead, so the position is set first (outside the counting).
double Notify(ui::ScrollBar& bar, int position) {
    g_shownBefore[bar.Handle()] = ::GetScrollPos(bar.Handle(), SB_CTL);
    ::SetScrollPos(bar.Handle(), SB_CTL, position, FALSE);
    g_counting = true;
    const double start = Now();
    ::SendMessageA(::GetParent(bar.Handle()), WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, position),
                   reinterpret_cast<LPARAM>(bar.Handle()));
    const double elapsed = Now() - start;
    g_counting = false;
    g_shownBefore.clear();
    return elapsed;
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * (v.size() - 1) + 0.5)];
}

void Drag(TMainForm& form, const char* name, ui::ScrollBar& bar) {
    // Start from 0, as the drag does, then take the thumb across the whole range.
    Notify(bar, 0);
    PumpPending();
    std::vector<double> handler, repaint;
    g_counts = Counts{};
    for (int position = 0; position <= 255; ++position) {
        handler.push_back(Notify(bar, position));
        const double start = Now();
        ::UpdateWindow(form.Handle());
        ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpPending();
        repaint.push_back(Now() - start);
    }
    double total = 0;
    for (double t : handler) total += t;
    std::printf("| %s | %.3f | %.3f | %.3f | %.1f | %.3f | %d | %d | %d | %d |\n", name, Percentile(handler, 0.5),
                Percentile(handler, 0.95), *std::max_element(handler.begin(), handler.end()), total,
                Percentile(repaint, 0.5), g_counts.setText, g_counts.setTextUnchanged, g_counts.setScroll,
                g_counts.setScrollUnchanged);
    std::fflush(stdout);
}

// Median cost of one call of each kind the handler makes, on the form's own controls, to tell where a
// notification's time goes.
template <typename F>
double MedianCost(F&& call) {
    std::vector<double> ms;
    for (int i = 0; i < 256; ++i) {
        const double start = Now();
        call(i);
        ms.push_back(Now() - start);
    }
    PumpPending();
    return Percentile(ms, 0.5);
}

void PrimitiveCosts(TMainForm& form) {
    std::printf("\n| Call (median of 256) | ms |\n|---|---:|\n");
    std::printf("| Edit::Text (WM_GETTEXTLENGTH + WM_GETTEXT) | %.4f |\n", MedianCost([&](int) { (void)form.EditFR.Text(); }));
    std::printf("| Edit::SetText with a new text (WM_SETTEXT) | %.4f |\n",
                MedianCost([&](int i) { form.EditFR.SetText(std::to_string(i)); }));
    std::printf("| ScrollBar::SetPosition with a new position | %.4f |\n",
                MedianCost([&](int i) { form.BarFR.SetPosition(i % 2 ? 10 : 20); }));
    const HWND bar = form.BarFG.Handle();
    auto setPos = [bar](int i, BOOL redraw) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_POS;
        info.nPos = i % 2 ? 10 : 20;
        ::SetScrollInfo(bar, SB_CTL, &info, redraw);
    };
    for (int round = 0; round < 2; ++round) {
        // Twice, alternating, so that a change in the machine's load shows as a difference between rounds.
        std::printf("| SetScrollInfo, redraw at once, then UpdateWindow (round %d) | %.4f |\n", round + 1, MedianCost([&](int i) {
                        setPos(i, TRUE);
                        ::UpdateWindow(bar);
                    }));
        std::printf("| SetScrollInfo without redraw, InvalidateRect, UpdateWindow (round %d) | %.4f |\n", round + 1,
                    MedianCost([&](int i) {
                        setPos(i, FALSE);
                        ::InvalidateRect(bar, nullptr, FALSE);
                        ::UpdateWindow(bar);
                    }));
    }
    std::printf("| Label::SetFontColor with a new colour (invalidates) | %.4f |\n",
                MedianCost([&](int i) { form.LabelText.SetFontColor(RGB(i, 0, 0)); }));
    std::printf("| Preview Canvas::Fill + Invalidate | %.4f |\n", MedianCost([&](int i) {
                    form.ImageBackG.Picture().Fill(RGB(0, i, 0));
                    form.ImageBackG.Invalidate();
                }));
    std::printf("| TMainForm::UpdateColor with nothing changed | %.4f |\n", MedianCost([&](int) { form.UpdateColor(); }));
}

template <typename F>
double Time(F&& call) {
    const double start = Now();
    call();
    return Now() - start;
}

// The first creation in the process pays for everything a start pays for once (fonts, window classes,
// libraries); the later ones show the rest.
void CreationCosts(const std::string& pluginFolder, const std::string& picture, const velmira::SpiHostOptions& host) {
    std::printf("\n| Creation step (in-process) | first ms | median of next 6 ms |\n|---|---:|---:|\n");
    std::map<std::string, std::vector<double>> ms;
    std::vector<std::string> order;
    auto record = [&](const std::string& step, double value) {
        if (!ms.count(step)) order.push_back(step);
        ms[step].push_back(value);
    };
    for (int i = 0; i < 7; ++i) {
        std::unique_ptr<TMainForm> form;
        record("TMainForm constructor, whole", Time([&] { form = std::make_unique<TMainForm>(host); }));
        record("Show + first paint (UpdateWindow)", Time([&] {
                   form->Show();
                   ::UpdateWindow(form->Handle());
                   ::RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
               }));
        PumpPending();
        record("  again: reading the settings", Time([&] { (void)velmira::Settings(form->AppDir()).Read(); }));
        record("  again: SetSPI (plug-in folder as read)", Time([&] { form->Background().SetSPI(); }));
        record("  again: UpdateColor", Time([&] { form->UpdateColor(); }));
        record("  again: UpdateHexDim", Time([&] { form->UpdateHexDim(); }));
        record("  again: CheckBackImageClick (no picture)", Time([&] { form->CheckBackImageClick(); }));
        if (!pluginFolder.empty()) {
            form->Background().SetSpiPath(pluginFolder);
            record("SetSPI with the given plug-in folder", Time([&] { form->Background().SetSPI(); }));
        }
        if (!picture.empty()) record("LoadPictureFile of the given picture", Time([&] { form->Background().LoadPictureFile(picture); }));
        form.reset();
        PumpPending();
    }
    for (const std::string& step : order) {
        std::vector<double>& v = ms[step];
        const double first = v.front();
        v.erase(v.begin());
        std::printf("| %s | %.2f | %.2f |\n", step.c_str(), first, Percentile(v, 0.5));
    }
}

void Instrument(TMainForm& form) {
    ui::Window* watched[] = {&form.EditFont, &form.EditFR, &form.EditFG, &form.EditFB, &form.EditBackG,
                             &form.EditBR,   &form.EditBG, &form.EditBB, &form.BarFR,  &form.BarFG,
                             &form.BarFB,    &form.BarBR,  &form.BarBG,  &form.BarBB,  &form.EditBackImage};
    for (ui::Window* w : watched) ::SetWindowSubclass(w->Handle(), CountingProc, kCounterId, 0);
}

void Uninstrument(TMainForm& form) {
    ui::Window* watched[] = {&form.EditFont, &form.EditFR, &form.EditFG, &form.EditFB, &form.EditBackG,
                             &form.EditBR,   &form.EditBG, &form.EditBB, &form.BarFR,  &form.BarFG,
                             &form.BarFB,    &form.BarBR,  &form.BarBG,  &form.BarBB,  &form.EditBackImage};
    for (ui::Window* w : watched) ::RemoveWindowSubclass(w->Handle(), CountingProc, kCounterId);
}

std::string SettingsBesideExe() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1) + "velmira.ini";
}

}  // namespace

int main(int argc, char** argv) {
    ::DeleteFileA(SettingsBesideExe().c_str());  // the first start's state: black on white, hexadecimal
    ui::Application& app = ui::Application::Get();
    const double initialize = Time([&] {
        app.Initialize();
        app.SetTitle("Velmira");
    });
    // The plug-in helper the build made: the plug-in folder's twenty plug-ins are described by it.
    const velmira::SpiHostOptions host{argc > 3 ? argv[3] : "", velmira::kSpiHostAnswerTimeoutMs, {}};
    CreationCosts(argc > 1 ? argv[1] : "", argc > 2 ? argv[2] : "", host);
    std::printf("| Application::Initialize + SetTitle (once) | %.2f | |\n\n", initialize);
    auto form = std::make_unique<TMainForm>(host);
    form->Show();
    PumpPending();
    Instrument(*form);

    std::printf("Thumb drag 0..255, one WM_HSCROLL SB_THUMBTRACK per position (256 notifications).\n");
    std::printf("Handler = SendMessage of the notification (scroll handler + UpdateColor); repaint = the paint that follows.\n\n");
    std::printf("| Bar (display) | Handler median ms | p95 ms | max ms | total ms | Repaint median ms | WM_SETTEXT | unchanged | SBM_SETSCROLLINFO/SETPOS | unchanged |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    Drag(*form, "BarFR (hex)", form->BarFR);
    Drag(*form, "BarBB (hex)", form->BarBB);
    form->RadioHexDim.SetItemIndex(0);  // raises the group's click, as a click on "10進数" does
    Drag(*form, "BarFG (decimal)", form->BarFG);
    Drag(*form, "BarBR (decimal)", form->BarBR);

    Uninstrument(*form);
    PrimitiveCosts(*form);
    form.reset();
    ::DeleteFileA(SettingsBesideExe().c_str());
    return 0;
}
