#pragma once
// Work that can wait until the program has nothing else to do: by then the windows shown so far have been
// painted. It runs once, when the message loop first finds the queue empty, or earlier when whoever owns it
// needs its result first; destroying the task drops the work if it has not run yet.
#include <functional>

namespace ui {

class IdleTask {
public:
    explicit IdleTask(std::function<void()> work) : work_(std::move(work)) {}
    IdleTask(const IdleTask&) = delete;
    IdleTask& operator=(const IdleTask&) = delete;
    ~IdleTask();

    // Puts the work off until the loop is idle (once, however often this is called before it runs).
    void Schedule();
    // The work is not wanted: someone has done it another way.
    void Cancel() noexcept;
    // Does the work at once if it is waiting, so that what needs its result has it.
    void RunNow();
    bool Pending() const noexcept { return pending_; }

private:
    std::function<void()> work_;
    bool pending_ = false;
};

}  // namespace ui
