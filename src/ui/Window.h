#pragma once
// The window layer's base class: one object per HWND. Our own window classes take `this` from lpCreateParams
// on WM_NCCREATE and forward every message to the virtual HandleMessage; standard controls (EDIT, BUTTON,
// SCROLLBAR) are subclassed. Either way the window carries `this` in a property under an atom of the program's
// own, removed on WM_NCDESTROY, so that FromHandle knows no window but ours: a foreign window's user data is
// never taken for one of our objects. No exception crosses back into the window system: each one is handed to
// the application's error display.
//
// Layout figures given to the layer (a child's rectangle, a font's height) are 96-DPI figures. Every window
// keeps the DPI it is laid out for: a form takes it from the monitor it is on when it is made and from
// WM_DPICHANGED, a child from its parent. The layer scales the figures with it, in one place, when it makes a
// control and when it lays the controls out again for a new DPI (ApplyDpi).
//
// The window procedures and how a window is made and marked as ours are in ui/WindowProcedure.cpp; a window
// that holds other controls is a Container (ui/Container.h).
#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ui/Accessible.h"
#include "ui/DpiScale.h"
#include "ui/FontSpec.h"
#include "ui/UniqueHandle.h"

namespace ui {

class Container;

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

    // Left, top, width, height relative to the parent's client area (the screen for top-level windows), in
    // the window's own pixels: nothing scales them.
    void SetBounds(int left, int top, int width, int height);
    RECT Bounds() const;

    void SetEnabled(bool enabled);
    bool Enabled() const;

    void SetText(std::string_view text);
    std::string Text() const;

    void SetFont(HFONT font);
    // The font of the description, made for the window's DPI and made again when the DPI changes.
    void SetFont(const FontSpec& font);

    // The DPI the window is laid out for.
    UINT Dpi() const noexcept { return dpi_; }
    // The same for any window: ours keep their own, another one is asked of the system.
    static UINT DpiOf(HWND hwnd) noexcept;
    // A 96-DPI figure at the window's DPI.
    int Scale(int value) const noexcept { return ScaleLayout(value, dpi_); }

    // What a screen reader hears beyond what the window's kind tells: a name where no label can carry it, a value
    // (asked when the reader asks), a role.
    void SetAccessibleName(std::string_view name);
    void SetAccessibleValue(std::function<std::string()> value);
    void SetAccessibleRole(long role) noexcept { accessible_.role = role; }
    // The value may have changed: screen readers are told (EVENT_OBJECT_VALUECHANGE).
    void AccessibleValueChanged() const noexcept;

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

    // Called on WM_NCDESTROY, after which the object has no window.
    virtual void OnWindowDestroyed() {}

    // Lays the window out again for `dpi`: a child's rectangle from its 96-DPI layout, and its font. Containers
    // go on to their children.
    virtual void ApplyDpi(UINT dpi);
    void SetDpi(UINT dpi) noexcept { dpi_ = dpi; }
    // A child that its parent places by a rule of its own (a radio group's items) keeps no layout rectangle.
    void PlacedByParent() noexcept { layout_.reset(); }

    friend class Container;

private:
    static LRESULT CALLBACK OwnWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StandardControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    void Attach(HWND hwnd);
    void Detach() noexcept;
    bool HasAccessibleText() const noexcept;
    void TellFormOfFocus() const noexcept;

    static inline std::atomic<int> liveObjects_{0};
    static inline std::atomic<int> liveWindows_{0};
    // Notes a child's rectangle at 96 DPI and the DPI of its parent, and gives the rectangle at that DPI.
    RECT TakeLayout(HWND parent, int left, int top, int width, int height);

    HWND hwnd_ = nullptr;
    bool standard_ = false;
    WNDPROC standardProc_ = nullptr;  // a standard control's own procedure, which ours goes on to
    UINT dpi_ = kLayoutDpi;
    std::optional<RECT> layout_;
    std::optional<FontSpec> font_;
    AccessibleText accessible_;
};

}  // namespace ui
