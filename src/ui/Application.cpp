#include "ui/Application.h"
#include "text/SystemText.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "ui/DragController.h"
#include "ui/ErrorText.h"
#include "ui/Form.h"
#include "ui/IdleTask.h"
#include "ui/PointerGrab.h"

namespace ui {
namespace {

constexpr char kApplicationClass[] = "VelmiraApplication";

}  // namespace

LRESULT CALLBACK Application::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!RunGuarded([&] { result = Get().HandleMessage(hwnd, msg, wParam, lParam); })) return 0;
    return result;
}

LRESULT Application::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        // Closing the task-bar button closes the main form, which decides whether the program ends.
        if (mainForm_ && mainForm_->Handle()) {
            ::PostMessageA(mainForm_->Handle(), WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_RESTORE) {
            Restore();
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            Minimize();
            return 0;
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

Application& Application::Get() {
    static Application application;
    return application;
}

void Application::Initialize() {
    if (window_) return;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Application::WindowProc;
    wc.hInstance = Instance();
    wc.hIcon = ::LoadIconA(Instance(), "MAINICON");
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kApplicationClass;
    ::RegisterClassExA(&wc);
    // A zero-sized window in the middle of the screen: it carries the task-bar button and owns the forms.
    const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
    window_.reset(::CreateWindowExA(0, kApplicationClass, title_.c_str(),
                                    WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                                    nullptr, nullptr, Instance(), nullptr));
    if (!window_) throw std::runtime_error("cannot create the application window");
}

void Application::SetTitle(std::string_view title) {
    title_ = std::string(title);
    if (window_) ::SetWindowTextA(window_.get(), title_.c_str());
}

void Application::Run() {
    // The zero-sized application window is what carries the task-bar button.
    ::ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
    if (mainForm_) mainForm_->Show();
    while (!terminated_ && HandleOneMessage()) {
    }
}

void Application::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    ::PostQuitMessage(0);
}

bool Application::PreTranslate(MSG& msg) {
    // During a drag the keys and the wheel are the drag's, whichever window has the focus; while the pointer is
    // grabbed, the keys and the clicks are the grab's.
    if (DragController::Get().HandleQueued(msg)) return true;
    if (PointerGrab::HandleQueued(msg)) return true;
    // The active form's shortcuts come first; then Tab, the arrow keys between radio buttons and the like work
    // in every form as in a dialog box.
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        HWND active = ::GetActiveWindow();
        auto* form = active ? dynamic_cast<Form*>(Window::FromHandle(active)) : nullptr;
        if (form && (SwitchForm(msg, *form) || form->TranslateShortcut(msg) || ::IsDialogMessageA(active, &msg)))
            return true;
    }
    return false;
}

bool Application::HandleOneMessage() {
    MSG msg;
    if (!idleTasks_.empty() && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) RunIdleTasks();
    if (::GetMessageA(&msg, nullptr, 0, 0) <= 0) {
        terminated_ = true;
        return false;
    }
    bool handled = true;
    RunGuarded([&] { handled = PreTranslate(msg); });
    if (handled) return true;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
    return true;
}

void Application::ProcessMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            return;
        }
        bool handled = true;
        RunGuarded([&] { handled = PreTranslate(msg); });
        if (handled) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    RunIdleTasks();
}

void Application::FormMade(Form* form) {
    if (std::find(forms_.begin(), forms_.end(), form) == forms_.end()) forms_.push_back(form);
}

void Application::FormGone(Form* form) noexcept {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

// As the system's own programs move between their windows: the form activated gives the focus back to the
// control that had it there (Form, WM_ACTIVATE). A modal form leaves no other form enabled, so F6 stays in it.
bool Application::SwitchForm(const MSG& msg, Form& from) {
    const bool alt = ::GetKeyState(VK_MENU) < 0;
    const bool switchKey = msg.wParam == VK_F6 && ::GetKeyState(VK_CONTROL) >= 0 &&
                           ((msg.message == WM_KEYDOWN && !alt) || (msg.message == WM_SYSKEYDOWN && alt));
    if (!switchKey) return false;
    const auto at = std::find(forms_.begin(), forms_.end(), &from);
    if (at == forms_.end()) return true;
    const bool back = ::GetKeyState(VK_SHIFT) < 0;
    const std::size_t count = forms_.size(), start = static_cast<std::size_t>(at - forms_.begin());
    for (std::size_t step = 1; step < count; ++step) {
        Form* next = forms_[(back ? start + count - step : start + step) % count];
        if (!next->TakesFormSwitch()) continue;
        ::SetActiveWindow(next->Handle());
        break;
    }
    return true;
}

void Application::AddIdleTask(IdleTask* task) {
    idleTasks_.push_back(task);
}

void Application::RemoveIdleTask(IdleTask* task) noexcept {
    idleTasks_.erase(std::remove(idleTasks_.begin(), idleTasks_.end(), task), idleTasks_.end());
}

// In the order they were put off. A task may drop others while it runs, so each is looked up again before it
// runs; one that it puts off anew waits for the next idle time. A task that fails is reported like an event
// that failed, and the others run all the same.
void Application::RunIdleTasks() {
    const std::vector<IdleTask*> due = idleTasks_;
    for (IdleTask* task : due) {
        if (std::find(idleTasks_.begin(), idleTasks_.end(), task) == idleTasks_.end()) continue;
        RunGuarded([task] { task->RunNow(); });
    }
}

void Application::Minimize() {
    if (::IsIconic(window_.get())) return;
    hiddenForms_.clear();
    ::EnumThreadWindows(::GetCurrentThreadId(), &Application::HideOwnedForm, reinterpret_cast<LPARAM>(this));
    ::ShowWindow(window_.get(), SW_MINIMIZE);
}

// The windows the application window owns, and the forms they own in turn (a window beside the main window):
// hiding an owner leaves the windows it owns in sight.
BOOL CALLBACK Application::HideOwnedForm(HWND hwnd, LPARAM param) {
    auto* self = reinterpret_cast<Application*>(param);
    if (!::IsWindowVisible(hwnd)) return TRUE;
    const HWND owner = ::GetWindow(hwnd, GW_OWNER), application = self->window_.get();
    const bool ownedByAForm = owner && ::GetWindow(owner, GW_OWNER) == application &&
                              dynamic_cast<Form*>(Window::FromHandle(hwnd));
    if (owner != application && !ownedByAForm) return TRUE;
    // Noted before it is hidden, so that a form that could not be noted stays in sight.
    return RunGuarded([&] {
        self->hiddenForms_.push_back(hwnd);
        ::ShowWindow(hwnd, SW_HIDE);
    });
}

void Application::Restore() {
    ::ShowWindow(window_.get(), SW_RESTORE);
    for (HWND hwnd : hiddenForms_)
        if (::IsWindow(hwnd)) ::ShowWindow(hwnd, SW_SHOW);
    hiddenForms_.clear();
    if (mainForm_ && mainForm_->Handle() && ::IsWindowVisible(mainForm_->Handle()))
        ::SetActiveWindow(mainForm_->Handle());
}

void Application::ShowException(const std::exception& e) {
    if (showingError_) return;
    const std::string text = WithFullStop(e.what(), &velmira::IsLeadByte);
    showingError_ = true;
    struct Shown {
        bool& flag;
        ~Shown() { flag = false; }
    } shown{showingError_};
    ShowMessage(text, MB_OK | MB_ICONERROR);
}

void Application::ShowCurrentException() noexcept {
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            ShowException(e);
        } catch (...) {
            ShowException(std::runtime_error("unexpected error"));
        }
    } catch (...) {
        // The display itself failed (no memory for the text): nothing is left to show it with.
    }
}

int Application::ShowMessage(std::string_view text, UINT flags) {
    const std::string message(text);
    const ModalLoop modal;
    if (messageBoxHandler_) return messageBoxHandler_(message, title_, flags);
    HWND owner = ::GetActiveWindow();
    if (!owner) owner = window_.get();
    return ::MessageBoxA(owner, message.c_str(), title_.c_str(), flags);
}

HFONT Application::Font(const FontSpec& wanted, unsigned dpi) {
    const auto key = std::make_pair(wanted, dpi);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    UniqueFont font = MakeFont(wanted, dpi);
    HFONT handle = font.get();
    fonts_.emplace(key, std::move(font));
    return handle;
}

UniqueFont MakeFont(const FontSpec& wanted, unsigned dpi) {
    LOGFONTA lf{};
    lf.lfHeight = -ScaleLayout(wanted.height, dpi);
    lf.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = wanted.fixedPitch ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynA(lf.lfFaceName, wanted.face.c_str(), LF_FACESIZE);
    UniqueFont font(::CreateFontIndirectA(&lf));
    if (!font) throw std::runtime_error("cannot create font " + wanted.face);
    return font;
}

}  // namespace ui
