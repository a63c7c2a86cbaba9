#pragma once
// The application object: the hidden top-level window that owns every form (its title is the text of the
// task-bar button), the message loop, the fonts, and the standard display of errors that no handler caught.
#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/DpiScale.h"
#include "ui/FontSpec.h"
#include "ui/UniqueHandle.h"

namespace ui {

class Form;
class IdleTask;

class Application {
public:
    static Application& Get();

    void Initialize();
    HWND Handle() const noexcept { return window_.get(); }
    HINSTANCE Instance() const noexcept { return ::GetModuleHandleA(nullptr); }

    void SetTitle(std::string_view title);
    const std::string& Title() const noexcept { return title_; }

    void SetMainForm(Form* form) noexcept { mainForm_ = form; }
    Form* MainForm() const noexcept { return mainForm_; }

    // Shows the main form and dispatches messages until the main form has been closed.
    void Run();
    void Terminate();

    // Dispatches one message, waiting for it; false once WM_QUIT came. Runs the idle tasks first when the
    // queue is empty.
    bool HandleOneMessage();
    // Dispatches what is queued, without waiting, then runs the idle tasks.
    void ProcessMessages();

    // The forms that F6 and Alt+F6 move between, in the order they were made (Form does this itself).
    void FormMade(Form* form);
    void FormGone(Form* form) noexcept;

    // The tasks waiting for the loop to be idle, kept by IdleTask itself.
    void AddIdleTask(IdleTask* task);
    void RemoveIdleTask(IdleTask* task) noexcept;

    // Minimising the main form minimises the application window and hides the forms it owns, and theirs;
    // restoring the application window (its task-bar button) shows them again.
    void Minimize();
    void Restore();

    // Whether a modal form or a message box of the program is up (its modal loop runs): what the program does
    // from outside the window with the keyboard (a system-wide key) then waits.
    bool ModalRuns() const noexcept { return modalDepth_ > 0; }
    // Counts a modal loop for as long as it lives.
    class ModalLoop {
    public:
        ModalLoop() noexcept { ++Get().modalDepth_; }
        ModalLoop(const ModalLoop&) = delete;
        ModalLoop& operator=(const ModalLoop&) = delete;
        ~ModalLoop() { --Get().modalDepth_; }
    };

    // The standard error display: a message box titled with the application's title, with the error icon. While
    // one is up, another error is not shown on top of it: an error that repeats on every paint shows once.
    void ShowException(const std::exception& e);
    // The exception being handled (called inside a catch block) through the standard display; never throws.
    void ShowCurrentException() noexcept;
    // Every message box of the program goes through here, so that tests can watch them.
    int ShowMessage(std::string_view text, UINT flags);
    using MessageBoxHandler = std::function<int(const std::string& text, const std::string& caption, UINT flags)>;
    void SetMessageBoxHandler(MessageBoxHandler handler) { messageBoxHandler_ = std::move(handler); }

    // The font for a window at `dpi`: the description's height is a 96-DPI figure. Made once for each DPI and
    // kept, so that a window moved to another monitor makes its fonts again and a window moved back finds them.
    HFONT Font(const FontSpec& wanted, unsigned dpi = kLayoutDpi);

private:
    Application() = default;
    bool PreTranslate(MSG& msg);
    // F6 or Alt+F6 (with Shift: back) in the active form `from`: the next form that can take it is activated.
    bool SwitchForm(const MSG& msg, Form& from);
    void RunIdleTasks();
    static BOOL CALLBACK HideOwnedForm(HWND hwnd, LPARAM param);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UniqueWindow window_;
    std::string title_;
    Form* mainForm_ = nullptr;
    bool terminated_ = false;
    bool showingError_ = false;
    MessageBoxHandler messageBoxHandler_;
    std::vector<HWND> hiddenForms_;
    std::map<std::pair<FontSpec, unsigned>, UniqueFont> fonts_;
    std::vector<IdleTask*> idleTasks_;
    std::vector<Form*> forms_;
    int modalDepth_ = 0;
};

// The font of the description at `dpi`, owned by the caller: the one place where a font is made. Throws when the
// system cannot make it.
UniqueFont MakeFont(const FontSpec& font, unsigned dpi);

// Runs `work` where the system called in (a window procedure, a callback, a timer, idle work): whatever it
// throws goes to the standard error display and ends there. True when the work ran to its end.
template <class Work>
bool RunGuarded(Work&& work) noexcept {
    try {
        work();
        return true;
    } catch (...) {
        Application::Get().ShowCurrentException();
        return false;
    }
}

}  // namespace ui
