#pragma once
// The sight that follows the pointer while a colour is picked from the screen: a borderless, topmost window
// in the shape of the black lines of the "SCOPE" picture. Its centre pixel is not part of the window, so the
// screen there always shows what lies beneath. On a scaled monitor the picture is enlarged by the whole factor
// for the monitor under the pointer (velmira::ScopeFactor), and the shape and the offset from the pointer with it.
#include <windows.h>

#include <functional>

#include "ui/Form.h"
#include "ui/Timer.h"
#include "ui/UniqueHandle.h"

class TScopeForm : public ui::Form {
public:
    // Built hidden, sized to the picture, shaped and placed at the pointer, with its timer running.
    explicit TScopeForm(HWND owner);
    ~TScopeForm() override;

    // Shows the sight without taking the activation from the window the user is working in.
    void ShowInactive();

    void FormPaint(HDC dc);
    void TimerTimer();
    void MoveToCursor();
    POINT GetCenter() const;
    static ui::UniqueRegion MakeRegion(HBITMAP bitmap);
    void WMLButtonDown();

    // The "SCOPE" picture enlarged `factor` times by nearest neighbour (the picture itself at 1).
    static ui::UniqueBitmap SightPicture(int factor);
    // The factor the sight is drawn at.
    int Factor() const noexcept { return factor_; }
    // Leaves a square of `side` physical pixels round the centre pixel out of the window, so that the square a
    // pick samples is never covered by the sight (1: the centre pixel alone, as always).
    void SetClearSquare(int side);

    // One tick: the pointer as it was read once for the tick, the centre where the sight stands and the centre
    // it moves to.
    struct Tick {
        POINT pointer;
        POINT centre;
        POINT next;
    };
    // Raised on each tick before the move.
    std::function<void(const Tick& tick)> OnTick;
    // The DPI of the monitor under the pointer, asked on each tick; the system's answer when not set. A pick
    // that already knows it (it asks once per monitor) saves the sight asking again.
    std::function<UINT(POINT pointer)> DpiAt;

    ui::Timer Timer;
    ui::UniqueBitmap ScopeBitmap;  // the picture as drawn, at the factor

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PaintBackground(HDC dc, const RECT& client) override;

private:
    // Where the sight stands with the pointer at a point: the factor there and the window's rectangle.
    struct Placement {
        int factor;
        POINT origin;
        SIZE size;
    };
    Placement PlacementAt(POINT pointer) const;
    static POINT CenterOf(const Placement& placement);
    void MoveTo(const Placement& placement);
    // The picture and the shape for `factor`; the next move gives the window their size.
    void SetFactor(int factor);

    void ApplyShape();

    int factor_ = 0;
    int clearSquare_ = 1;
    SIZE baseSize_{};  // the picture at factor 1
};
