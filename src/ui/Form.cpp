#include "ui/Form.h"

#include <vector>

#include "ui/Application.h"
#include "ui/Dpi.h"

namespace ui {

void Form::Create(const FormLayout& layout) {
    DWORD style = WS_CLIPCHILDREN;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    switch (layout.border) {
    case FormBorder::None:
        style |= WS_POPUP;
        break;
    case FormBorder::Single:
        style |= WS_CAPTION | WS_SYSMENU;
        break;
    case FormBorder::Sizeable:
        style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
        break;
    }
    if (layout.border != FormBorder::None) {
        if (layout.minimizeBox) style |= WS_MINIMIZEBOX;
        if (layout.maximizeBox) style |= WS_MAXIMIZEBOX;
    }
    if (layout.topmost) exStyle |= WS_EX_TOPMOST;
    if (layout.noActivate) exStyle |= WS_EX_NOACTIVATE;
    layout_ = layout;
    style_ = style;
    exStyle_ = exStyle;
    int width = layout.width;
    int height = layout.height;
    if (!layout.outerSize) {
        RECT r{0, 0, width, height};
        ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
        width = r.right - r.left;
        height = r.bottom - r.top;
    }
    HWND owner = layout.owner ? layout.owner : Application::Get().Handle();
    CreateOwn(exStyle, style, owner, layout.caption, layout.left, layout.top, width, height);
    Application::Get().FormMade(this);
    // Only the made window knows its monitor; hidden until shown, it moves to its place for that DPI unseen.
    SetDpi(DpiOfWindow(Handle()));
    if (Dpi() != kLayoutDpi) {
        const SIZE size = OuterSizeFor(Dpi());
        placing_ = true;
        const POINT place = layout.physicalPlace ? POINT{layout.left, layout.top}
                                                 : POINT{Scale(layout.left), Scale(layout.top)};
        ::SetWindowPos(Handle(), nullptr, place.x, place.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        placing_ = false;
    }
}

Form::~Form() {
    Application::Get().FormGone(this);
}

SIZE Form::OuterSizeFor(UINT dpi) const {
    RECT client{0, 0, layout_.width, layout_.height};
    if (layout_.outerSize) {
        // The layout gives the outer size at 96 DPI: what its frame leaves inside is what scales.
        const RECT frame = FrameAround(RECT{}, style_, exStyle_, kLayoutDpi);
        client.right -= frame.right - frame.left;
        client.bottom -= frame.bottom - frame.top;
    }
    const RECT outer = FrameAround(RECT{0, 0, ScaleLayout(client.right, dpi), ScaleLayout(client.bottom, dpi)},
                                   style_, exStyle_, dpi);
    return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

void Form::TakeDpi(UINT dpi, const RECT& suggested) {
    ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (placing_) {
        // Its place at creation lies on a monitor of another DPI: the controls, made after it, take this one.
        SetDpi(dpi);
        return;
    }
    ApplyDpi(dpi);
    OnDpiChanged();
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Form::Show() {
    ::ShowWindow(Handle(), SW_SHOW);
    ::UpdateWindow(Handle());
}

void Form::Hide() {
    ::ShowWindow(Handle(), SW_HIDE);
}

void Form::Close() {
    ::SendMessageA(Handle(), WM_CLOSE, 0, 0);
}

bool Form::Visible() const {
    return ::IsWindowVisible(Handle()) != FALSE;
}

namespace {

// Disables every enabled, visible top-level window of this thread but one, and enables them again later.
class DisabledTaskWindows {
public:
    explicit DisabledTaskWindows(HWND except) : except_(except) {
        ::EnumThreadWindows(::GetCurrentThreadId(), &DisabledTaskWindows::Visit, reinterpret_cast<LPARAM>(this));
    }
    DisabledTaskWindows(const DisabledTaskWindows&) = delete;
    DisabledTaskWindows& operator=(const DisabledTaskWindows&) = delete;
    ~DisabledTaskWindows() {
        for (HWND hwnd : disabled_) ::EnableWindow(hwnd, TRUE);
    }

private:
    static BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
        auto* self = reinterpret_cast<DisabledTaskWindows*>(param);
        if (hwnd == self->except_ || !::IsWindowVisible(hwnd) || !::IsWindowEnabled(hwnd)) return TRUE;
        // Noted before it is disabled, so that every window disabled here is enabled again.
        return RunGuarded([&] {
            self->disabled_.push_back(hwnd);
            ::EnableWindow(hwnd, FALSE);
        });
    }

    HWND except_;
    std::vector<HWND> disabled_;
};

}  // namespace

int Form::ShowModal() {
    HWND previous = ::GetActiveWindow();
    modalResult_ = mrNone;
    modal_ = true;
    {
        const Application::ModalLoop loop;
        DisabledTaskWindows disabled(Handle());
        Show();
        ::SetActiveWindow(Handle());
        if (modalShown_) modalShown_(*this);
        Application& app = Application::Get();
        while (modalResult_ == mrNone) {
            if (!app.HandleOneMessage()) {
                ::PostQuitMessage(0);  // leave the quit for the outer loop
                if (modalResult_ == mrNone) modalResult_ = mrCancel;
            }
        }
        // Enable the other windows before hiding, so that the system activates one of ours, not another program.
    }
    Hide();
    modal_ = false;
    if (previous && ::IsWindow(previous)) ::SetActiveWindow(previous);
    return modalResult_;
}

void Form::OnCloseRequest() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!RunGuarded([this] {
            if (OnClose) OnClose();
        }))
        return;  // the close is abandoned: the form stays open
    Hide();
    if (Application::Get().MainForm() == this) Application::Get().Terminate();
}

WindowMenu& Form::Menu() {
    if (!menu_) menu_ = std::make_unique<WindowMenu>(Handle());
    return *menu_;
}

void Form::AddShortcut(UINT modifiers, UINT key, std::function<void()> run) {
    shortcuts_.push_back(Shortcut{modifiers, key, std::move(run)});
}

bool Form::TranslateShortcut(const MSG& msg) {
    if (shortcuts_.empty() || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)) return false;
    UINT held = 0;
    if (::GetKeyState(VK_CONTROL) < 0) held |= MOD_CONTROL;
    if (::GetKeyState(VK_SHIFT) < 0) held |= MOD_SHIFT;
    if (::GetKeyState(VK_MENU) < 0) held |= MOD_ALT;
    for (const Shortcut& shortcut : shortcuts_) {
        if (shortcut.key != msg.wParam || shortcut.modifiers != held) continue;
        const auto run = shortcut.run;  // a shortcut may add others
        if (run) run();
        return true;
    }
    return false;
}

BOOL CALLBACK Form::PassSystemColourChange(HWND child, LPARAM) {
    ::SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

void Form::RememberFocus(HWND control) noexcept {
    if (control && Handle() && ::IsChild(Handle(), control)) focused_ = control;
}

bool Form::RestoreFocus() {
    if (!focused_ || !::IsChild(Handle(), focused_) || !::IsWindowVisible(focused_) || !::IsWindowEnabled(focused_))
        return false;
    ::SetFocus(focused_);
    return true;
}

bool Form::TakesFormSwitch() const noexcept {
    const HWND hwnd = Handle();
    return hwnd && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd) && !::IsIconic(hwnd) &&
           (::GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION &&
           !(::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result; menu_ && menu_->HandleMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
    case WM_ACTIVATE:
        // Left: the control with the focus is noted (a child window not of ours too). Activated, not minimised:
        // that control, instead of the default handling, which gives the focus to the form itself.
        if (LOWORD(wParam) == WA_INACTIVE) {
            RememberFocus(::GetFocus());
            break;
        }
        if (!HIWORD(wParam) && RestoreFocus()) return 0;
        break;
    case WM_CLOSE:
        OnCloseRequest();
        return 0;
    case WM_SYSCOLORCHANGE:
        // The system tells only top-level windows; the controls keep colours of their own (ours and the common
        // controls alike), which they read again when told.
        ::EnumChildWindows(Handle(), &Form::PassSystemColourChange, 0);
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE && Application::Get().MainForm() == this) {
            Application::Get().Minimize();
            return 0;
        }
        break;
    case kWmGetDpiScaledSize:
        // A form of fixed size: the size the system proposes in WM_DPICHANGED is then exactly the layout's at
        // the new DPI. A sizeable one keeps the user's size, which the system scales.
        if (layout_.border != FormBorder::Single) break;
        *reinterpret_cast<SIZE*>(lParam) = OuterSizeFor(LOWORD(wParam));
        return TRUE;
    case kWmDpiChanged:
        TakeDpi(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        break;
    }
    return Container::HandleMessage(msg, wParam, lParam);
}

Form* FormOf(HWND child) {
    return dynamic_cast<Form*>(Window::FromHandle(::GetAncestor(child, GA_ROOT)));
}

}  // namespace ui
