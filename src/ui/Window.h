#pragma once
// The window layer's base classes.
//
// Window: one object per HWND. Our own window classes take `this` from lpCreateParams on WM_NCCREATE and
// forward every message to the virtual HandleMessage; standard controls (EDIT, BUTTON, SCROLLBAR) are
// subclassed. Either way the window carries `this` in a property under an atom of the program's own, removed on
// WM_NCDESTROY, so that FromHandle knows no window but ours: a foreign window's user data is never taken for
// one of our objects. No exception crosses back into the window system: each one is handed to the
// application's error display.
//
// Container: a window that holds other controls. It reflects its children's notifications (WM_COMMAND,
// WM_HSCROLL, WM_CTLCOLOR*) back to the child's object, paints its non-windowed children (labels and
// images, drawn in creation order over its background) and starts automatic drags.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/UniqueHandle.h"

namespace ui {

class Container;
class GraphicControl;

// Which control a drag started on, and the handlers it raises.
struct DragEvents {
    bool automatic = false;                                 // a left-button press starts a drag at once
    std::function<void()> onStartDrag;                      // raised when the drag starts
    std::function<void(POINT screenPos)> onEndDrag;         // raised however the drag ends; no control accepts drops
    // While the drag runs, keys and the wheel go to the drag before any window sees them: a key pressed (Esc
    // included, before it cancels) and the wheel's delta. True when the source took it; it then goes no further.
    std::function<bool(UINT virtualKey)> onDragKey;
    std::function<bool(int wheelDelta)> onDragWheel;
};

class Window {
public:
    Window() noexcept { liveObjects_.fetch_add(1, std::memory_order_relaxed); }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const noexcept { return hwnd_; }
    // The object of a window that this layer created; null for any other window.
    static Window* FromHandle(HWND hwnd) noexcept;

    // How many window objects exist and how many of them hold a live window, for the leak checks of the tests
    // (the platform under test does not count user objects).
    static int LiveObjects() noexcept { return liveObjects_.load(std::memory_order_relaxed); }
    static int LiveWindows() noexcept { return liveWindows_.load(std::memory_order_relaxed); }

    // Left, top, width, height relative to the parent's client area (the screen for top-level windows).
    void SetBounds(int left, int top, int width, int height);
    RECT Bounds() const;

    void SetEnabled(bool enabled);
    bool Enabled() const;

    void SetText(std::string_view text);
    std::string Text() const;

    void SetFont(HFONT font);

protected:
    // Creates a window of one of our own classes; `this` is attached on WM_NCCREATE.
    void CreateOwn(DWORD exStyle, DWORD style, HWND parent, std::string_view caption, int left, int top, int width,
                   int height, int controlId = 0);
    // Creates a standard control and subclasses it so that its messages reach HandleMessage first.
    void CreateStandard(const char* className, DWORD exStyle, DWORD style, HWND parent, std::string_view caption,
                        int left, int top, int width, int height, int controlId);

    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The handling the window would get without us: DefWindowProc, or the standard control's own.
    LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam);

    // Notifications that the parent reflects back to the control that sent them.
    virtual void OnCommand(WORD /*code*/) {}
    virtual void OnHScroll(int /*code*/) {}
    virtual HBRUSH OnControlColor(HDC /*dc*/) { return nullptr; }

    // Called on WM_NCDESTROY, after which the object no longer has a window.
    virtual void OnWindowDestroyed() {}

    friend class Container;

private:
    static LRESULT CALLBACK OwnWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StandardControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR subclassId, DWORD_PTR refData);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    void Attach(HWND hwnd);
    void Detach() noexcept;

    static inline std::atomic<int> liveObjects_{0};
    static inline std::atomic<int> liveWindows_{0};
    HWND hwnd_ = nullptr;
    bool standard_ = false;
};

// A control without a window of its own (label, image): its container paints it and routes mouse presses to it.
class GraphicControl {
public:
    GraphicControl() = default;
    GraphicControl(const GraphicControl&) = delete;
    GraphicControl& operator=(const GraphicControl&) = delete;
    virtual ~GraphicControl();

    void Attach(Container& parent, int left, int top, int width, int height);
    Container* Parent() const noexcept { return parent_; }
    RECT Bounds() const noexcept { return bounds_; }
    void SetBounds(const RECT& bounds);
    void Invalidate() const;

    DragEvents Drag;

protected:
    friend class Container;
    virtual void Paint(HDC dc) = 0;

private:
    Container* parent_ = nullptr;
    RECT bounds_{};
};

class Container : public Window {
public:
    ~Container() override;

    void SetColor(COLORREF color);
    COLORREF Color() const noexcept { return color_; }

    DragEvents Drag;  // the container itself may be a drag source (a panel in automatic drag mode)

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Draws what lies under the non-windowed children: background and frame.
    virtual void PaintBackground(HDC dc, const RECT& client);

    HBRUSH BackgroundBrush();

private:
    friend class GraphicControl;
    void AddGraphic(GraphicControl* control);
    void RemoveGraphic(GraphicControl* control);
    void Paint(HDC dc);
    void OnPaint();
    GraphicControl* GraphicAt(POINT clientPoint) const;
    bool ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnLeftButtonDown(POINT clientPoint);

    std::vector<GraphicControl*> graphics_;
    COLORREF color_ = ::GetSysColor(COLOR_BTNFACE);
    bool systemFaceColor_ = true;
    UniqueBrush brush_;  // recreated when the colour changes
};

}  // namespace ui
