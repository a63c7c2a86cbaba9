#include "ui/Timer.h"

#include <set>
#include <stdexcept>

#include "ui/Application.h"

namespace ui {
namespace {

// The running timers. A tick that was already taken from the queue when its timer was stopped
// (and its object perhaps destroyed) is recognised here and dropped.
std::set<const Timer*>& RunningTimers() {
    static std::set<const Timer*> timers;
    return timers;
}

}  // namespace

Timer::~Timer() {
    Stop();
}

void Timer::Start(HWND window, UINT intervalMs, std::function<void()> onTimer) {
    Stop();
    onTimer_ = std::move(onTimer);
    if (!::SetTimer(window, reinterpret_cast<UINT_PTR>(this), intervalMs, &Timer::TimerProc))
        throw std::runtime_error("SetTimer failed");
    window_ = window;
    RunningTimers().insert(this);
}

void Timer::Stop() noexcept {
    // The timer dies with its window anyway; KillTimer on a destroyed window fails harmlessly.
    if (window_) ::KillTimer(window_, reinterpret_cast<UINT_PTR>(this));
    window_ = nullptr;
    RunningTimers().erase(this);
}

void CALLBACK Timer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    auto* self = reinterpret_cast<Timer*>(id);
    if (RunningTimers().count(self) == 0 || !self->onTimer_) return;
    RunGuarded([self] { self->onTimer_(); });
}

}  // namespace ui
