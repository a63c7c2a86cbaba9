#pragma once
// A horizontal scroll bar; the position moves by the notification's own rule before OnScroll is raised.
#include <windows.h>

#include <functional>

#include "ui/Control.h"
#include "ui/Window.h"

namespace ui {

class ScrollBar : public Window {
public:
    void Create(const Place& place, int min, int max, int smallChange, int largeChange);
    int Position() const noexcept { return position_; }
    // Sets the position unless the bar already stands there.
    void SetPosition(int position);

    std::function<void(int scrollCode, int position)> OnScroll;

protected:
    void OnHScroll(int code) override;

private:
    int NewPosition(int code) const;

    int min_ = 0;
    int max_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
    int position_ = 0;
};

}  // namespace ui
