#include "ui/Window.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "ui/Application.h"
#include "ui/BufferedPaint.h"
#include "ui/Dpi.h"
#include "ui/DragController.h"
#include "ui/UniqueHandle.h"

namespace ui {
namespace {

constexpr char kOwnClassName[] = "VelmiraWindow";
constexpr UINT_PTR kSubclassId = 1;

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

void Window::Attach(HWND hwnd) {
    if (!::SetPropA(hwnd, Property().Name(), this)) throw std::runtime_error("SetProp failed");
    hwnd_ = hwnd;
    liveWindows_.fetch_add(1, std::memory_order_relaxed);
}

void Window::Detach() noexcept {
    ::RemovePropA(hwnd_, Property().Name());
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

UINT Window::DpiOf(HWND hwnd) noexcept {
    const Window* window = FromHandle(hwnd);
    return window ? window->Dpi() : DpiOfWindow(hwnd);
}

RECT Window::TakeLayout(HWND parent, int left, int top, int width, int height) {
    dpi_ = DpiOf(parent);
    layout_ = RECT{left, top, left + width, top + height};
    return ScaleLayoutRect(*layout_, dpi_);
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
    if (!::SetWindowSubclass(hwnd, &Window::StandardControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        Detach();
        throw std::runtime_error(std::string("cannot subclass ") + className);
    }
    created.release();  // ours now: the object destroys it
}

LRESULT CALLBACK Window::OwnWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        // A window that cannot be marked as ours is not made: CreateWindowEx then fails.
        if (!RunGuarded([&] { self->Attach(hwnd); })) return FALSE;
    }
    Window* self = FromHandle(hwnd);
    if (!self) return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT CALLBACK Window::StandardControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR refData) {
    auto* self = reinterpret_cast<Window*>(refData);
    if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &Window::StandardControlProc, kSubclassId);
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT Window::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT result = 0;
    RunGuarded([&] {
        if (msg == WM_GETOBJECT && HasAccessibleText()) result = AnswerGetObject(hwnd_, wParam, lParam, accessible_);
        if (!result) result = HandleMessage(msg, wParam, lParam);
    });
    if (msg == WM_NCDESTROY) Detach();
    return result;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultHandling(msg, wParam, lParam);
}

LRESULT Window::DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (standard_) return ::DefSubclassProc(hwnd_, msg, wParam, lParam);
    return ::DefWindowProcA(hwnd_, msg, wParam, lParam);
}

bool Window::HasAccessibleText() const noexcept {
    return !accessible_.name.empty() || accessible_.value || accessible_.role != 0;
}

void Window::SetAccessibleName(std::string_view name) {
    if (accessible_.name == name) return;
    accessible_.name = std::string(name);
    if (hwnd_) NotifyAccessibleChange(hwnd_, EVENT_OBJECT_NAMECHANGE);
}

void Window::SetAccessibleValue(std::function<std::string()> value) {
    accessible_.value = std::move(value);
}

void Window::AccessibleValueChanged() const noexcept {
    if (hwnd_) NotifyAccessibleChange(hwnd_, EVENT_OBJECT_VALUECHANGE);
}

void Window::SetBounds(int left, int top, int width, int height) {
    ::SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Window::Bounds() const {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    if (HWND parent = ::GetParent(hwnd_); parent && (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD))
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Window::SetEnabled(bool enabled) {
    ::EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Window::Enabled() const {
    return ::IsWindowEnabled(hwnd_) != FALSE;
}

void Window::SetText(std::string_view text) {
    const std::string value(text);
    ::SetWindowTextA(hwnd_, value.c_str());
}

std::string Window::Text() const {
    const int length = ::GetWindowTextLengthA(hwnd_);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(hwnd_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

void Window::SetFont(HFONT font) {
    ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Window::SetFont(const FontSpec& font) {
    font_ = font;
    SetFont(Application::Get().Font(font, dpi_));
}

void Window::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    if (layout_) {
        const RECT r = ScaleLayoutRect(*layout_, dpi);
        ::SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (font_) SetFont(*font_);
}

// ---------------------------------------------------------------------------------------------------------------

GraphicControl::~GraphicControl() {
    if (parent_) parent_->RemoveGraphic(this);
}

void GraphicControl::Attach(Container& parent, int left, int top, int width, int height) {
    parent_ = &parent;
    layout_ = RECT{left, top, left + width, top + height};
    bounds_ = ScaleLayoutRect(layout_, parent.Dpi());
    parent.AddGraphic(this);
    Invalidate();
}

void GraphicControl::ApplyDpi(UINT dpi) {
    SetBounds(ScaleLayoutRect(layout_, dpi));
}

void GraphicControl::SetBounds(const RECT& bounds) {
    Invalidate();
    bounds_ = bounds;
    Invalidate();
}

void GraphicControl::Invalidate() const {
    if (parent_ && parent_->Handle()) ::InvalidateRect(parent_->Handle(), &bounds_, FALSE);
}

// ---------------------------------------------------------------------------------------------------------------

Container::~Container() {
    for (GraphicControl* control : graphics_) control->parent_ = nullptr;
}

void Container::SetColor(COLORREF color) {
    systemFaceColor_ = false;
    if (color == color_ && brush_) return;
    color_ = color;
    brush_.reset();
    if (Handle()) ::InvalidateRect(Handle(), nullptr, TRUE);
}

HBRUSH Container::BackgroundBrush() {
    if (!brush_) brush_.reset(::CreateSolidBrush(color_));
    return brush_.get();
}

void Container::AddGraphic(GraphicControl* control) {
    graphics_.push_back(control);
}

void Container::RemoveGraphic(GraphicControl* control) {
    graphics_.erase(std::remove(graphics_.begin(), graphics_.end(), control), graphics_.end());
}

void Container::ApplyDpi(UINT dpi) {
    Window::ApplyDpi(dpi);
    for (HWND child = ::GetWindow(Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (Window* control = FromHandle(child)) control->ApplyDpi(dpi);
    for (GraphicControl* control : graphics_) control->ApplyDpi(dpi);
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void Container::PaintBackground(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, BackgroundBrush());
}

void Container::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    PaintBackground(dc, client);
    for (GraphicControl* control : graphics_) control->Paint(dc);
    PaintForeground(dc, client);
}


GraphicControl* Container::GraphicAt(POINT clientPoint) const {
    for (auto it = graphics_.rbegin(); it != graphics_.rend(); ++it) {
        const RECT bounds = (*it)->Bounds();
        if (::PtInRect(&bounds, clientPoint)) return *it;
    }
    return nullptr;
}

bool Container::ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    Window* child = FromHandle(reinterpret_cast<HWND>(lParam));
    if (!child || child == this) return false;
    switch (msg) {
    case WM_COMMAND:
        child->OnCommand(HIWORD(wParam));
        result = 0;
        return true;
    case WM_HSCROLL:
        child->OnHScroll(LOWORD(wParam));
        result = 0;
        return true;
    default: {
        HBRUSH brush = child->OnControlColor(reinterpret_cast<HDC>(wParam));
        if (!brush) return false;
        result = reinterpret_cast<LRESULT>(brush);
        return true;
    }
    }
}

void Container::OnLeftButtonDown(POINT clientPoint) {
    GraphicControl* graphic = GraphicAt(clientPoint);
    DragEvents* events = graphic ? &graphic->Drag : &Drag;
    if (events->automatic) DragController::Get().Begin(Handle(), *events);
}

LRESULT Container::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; DragController::Get().HandleMouse(Handle(), msg, wParam, lParam, result)) return result;
    switch (msg) {
    case WM_PAINT:
        // Buffered, so that the preview's picture and the text over it never flicker.
        PaintBuffered(Handle(), [this](HDC dc) { Paint(dc); });
        return 0;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel
    case WM_SYSCOLORCHANGE:
        if (systemFaceColor_) {
            color_ = ::GetSysColor(COLOR_BTNFACE);
            brush_.reset();
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnLeftButtonDown(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
        if (lParam) {
            LRESULT result = 0;
            if (ReflectToChild(msg, wParam, lParam, result)) return result;
        }
        if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) {
            // Check boxes and radio buttons sit on our background, whatever colour it has.
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetBkColor(dc, color_);
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(BackgroundBrush());
        }
        break;
    default:
        break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace ui
