#include "ui/IdleTask.h"

#include "ui/Application.h"

namespace ui {

IdleTask::~IdleTask() {
    Cancel();
}

void IdleTask::Schedule() {
    if (pending_) return;
    Application::Get().AddIdleTask(this);
    pending_ = true;
}

void IdleTask::Cancel() noexcept {
    if (!pending_) return;
    pending_ = false;
    Application::Get().RemoveIdleTask(this);
}

void IdleTask::RunNow() {
    if (!pending_) return;
    Cancel();  // first, so that the work may schedule itself again
    work_();
}

}  // namespace ui
