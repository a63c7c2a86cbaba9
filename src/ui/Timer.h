#pragma once
// A window timer that calls a handler: SetTimer on a window of the program, KillTimer when the object goes.
// The timer's id is the object's address, so that the system's callback finds its way back without a table.
#include <windows.h>

#include <functional>

namespace ui {

class Timer {
public:
    Timer() = default;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer();

    // Starts (or restarts) ticking every `intervalMs` on `window`, whose thread's message loop delivers the ticks.
    void Start(HWND window, UINT intervalMs, std::function<void()> onTimer);
    void Stop() noexcept;
    bool Running() const noexcept { return window_ != nullptr; }

private:
    static void CALLBACK TimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);

    HWND window_ = nullptr;
    std::function<void()> onTimer_;
};

}  // namespace ui
