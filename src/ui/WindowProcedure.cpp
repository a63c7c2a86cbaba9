// How a window of ours is made, marked as ours and found again, and the window procedures that hand every
// message to its object.
#include "ui/Window.h"

#include <stdexcept>
#include <string>

#include "ui/Application.h"
#include "ui/Dpi.h"
#include "ui/Form.h"
#include "ui/UniqueHandle.h"

namespace ui {
namespace {

constexpr char kOwnClassName[] = "VelmiraWindow";

// The atom of the property that marks a window as ours and carries its object. Its name holds the process id, so
// that no other program's window carries it by chance; the atom goes with the program.
class ObjectProperty {
public:
    ObjectProperty() {
        const std::string name = "VelmiraWindowObject." + std::to_string(::GetCurrentProcessId());
        atom_ = ::GlobalAddAtomA(name.c_str());
        if (!atom_) throw std::runtime_error("GlobalAddAtom failed");
    }
    ObjectProperty(const ObjectProperty&) = delete;
    ObjectProperty& operator=(const ObjectProperty&) = delete;
    ~ObjectProperty() { ::GlobalDeleteAtom(atom_); }

    LPCSTR Name() const noexcept { return MAKEINTATOM(atom_); }

private:
    ATOM atom_ = 0;
};

const ObjectProperty& Property() {
    static const ObjectProperty property;
    return property;
}

void RegisterOwnClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hIcon = ::LoadIconA(wc.hInstance, "MAINICON");
    wc.lpszClassName = kOwnClassName;
    if (!::RegisterClassExA(&wc)) throw std::runtime_error("RegisterClassEx failed");
    registered = true;
}

}  // namespace

Window::~Window() {
    if (hwnd_) {
        HWND hwnd = hwnd_;
        ::DestroyWindow(hwnd);  // WM_NCDESTROY detaches us
        hwnd_ = nullptr;
    }
    liveObjects_.fetch_sub(1, std::memory_order_relaxed);
}

// The object is the window's property, which FromHandle reads for any window, and its user data, which our window
// procedures read on every message: that costs no call into the window server, as reading a property does under
// Wine, where the property was the largest part of making the main window's controls.
void Window::Attach(HWND hwnd) {
    if (!::SetPropA(hwnd, Property().Name(), this)) throw std::runtime_error("SetProp failed");
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    hwnd_ = hwnd;
    liveWindows_.fetch_add(1, std::memory_order_relaxed);
}

void Window::Detach() noexcept {
    ::RemovePropA(hwnd_, Property().Name());
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    liveWindows_.fetch_sub(1, std::memory_order_relaxed);
    OnWindowDestroyed();
}

Window* Window::FromHandle(HWND hwnd) noexcept {
    if (!hwnd) return nullptr;
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    if (process != ::GetCurrentProcessId()) return nullptr;
    try {
        return static_cast<Window*>(::GetPropA(hwnd, Property().Name()));
    } catch (...) {
        return nullptr;  // no atom, so no window of ours
    }
}

void Window::CreateOwn(DWORD exStyle, DWORD style, HWND parent, std::string_view caption, int left, int top,
                       int width, int height, int controlId) {
    RegisterOwnClass(&Window::OwnWindowProc);
    const std::string text(caption);
    HMENU menu = nullptr;
    if (style & WS_CHILD) {
        menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId));
        const RECT scaled = TakeLayout(parent, left, top, width, height);
        left = scaled.left, top = scaled.top, width = scaled.right - scaled.left, height = scaled.bottom - scaled.top;
    }
    HWND hwnd = ::CreateWindowExA(exStyle, kOwnClassName, text.c_str(), style, left, top, width, height, parent, menu,
                                  ::GetModuleHandleA(nullptr), this);
    if (!hwnd) throw std::runtime_error("CreateWindowEx failed");
}

void Window::CreateStandard(const char* className, DWORD exStyle, DWORD style, HWND parent, std::string_view caption,
                            int left, int top, int width, int height, int controlId) {
    const std::string text(caption);
    // A top-level one (a tooltip) places itself.
    if (style & WS_CHILD) {
        const RECT scaled = TakeLayout(parent, left, top, width, height);
        left = scaled.left, top = scaled.top, width = scaled.right - scaled.left, height = scaled.bottom - scaled.top;
    }
    HWND hwnd = ::CreateWindowExA(exStyle, className, text.c_str(), style, left, top, width, height, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                  ::GetModuleHandleA(nullptr), nullptr);
    if (!hwnd) throw std::runtime_error(std::string("CreateWindowEx failed for ") + className);
    UniqueWindow created(hwnd);
    if (!(style & WS_CHILD)) dpi_ = DpiOfWindow(hwnd);
    Attach(hwnd);
    standard_ = true;
    standardProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::StandardControlProc)));
    if (!standardProc_) {
        Detach();
        throw std::runtime_error(std::string("cannot subclass ") + className);
    }
    created.release();  // the object owns it and destroys it
}

LRESULT CALLBACK Window::OwnWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        // A window that cannot be marked as ours is not made: CreateWindowEx then fails.
        if (!RunGuarded([&] { self->Attach(hwnd); })) return FALSE;
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT CALLBACK Window::StandardControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    // The control's own procedure again for its last message, which it handles as its end.
    if (msg == WM_NCDESTROY) ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->standardProc_));
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT Window::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT result = 0;
    RunGuarded([&] {
        if (msg == WM_GETOBJECT && HasAccessibleText()) result = AnswerGetObject(hwnd_, wParam, lParam, accessible_);
        if (!result) result = HandleMessage(msg, wParam, lParam);
    });
    if (msg == WM_SETFOCUS) TellFormOfFocus();
    if (msg == WM_NCDESTROY) Detach();
    return result;
}

// Noted as the focus comes, not only when the form is left: a form disabled under a dialog loses its focus before
// it is deactivated, and would have nothing to give back.
void Window::TellFormOfFocus() const noexcept {
    const HWND root = ::GetAncestor(hwnd_, GA_ROOT);
    if (root == hwnd_) return;
    if (auto* form = dynamic_cast<Form*>(FromHandle(root))) form->RememberFocus(hwnd_);
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultHandling(msg, wParam, lParam);
}

LRESULT Window::DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (standard_) return ::CallWindowProcA(standardProc_, hwnd_, msg, wParam, lParam);
    return ::DefWindowProcA(hwnd_, msg, wParam, lParam);
}

}  // namespace ui
