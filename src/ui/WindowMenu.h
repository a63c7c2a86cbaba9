#pragma once
// Items of the program's own in a form's window menu (the system menu that Alt+Space and the title bar's icon
// open), each with the handler it runs when chosen. The system's own items stay as they are, and their
// commands go on to the system.
#include <windows.h>

#include <functional>
#include <string_view>
#include <vector>

namespace ui {

class WindowMenu {
public:
    explicit WindowMenu(HWND window) noexcept : window_(window) {}
    WindowMenu(const WindowMenu&) = delete;
    WindowMenu& operator=(const WindowMenu&) = delete;

    // Appended after the items already there. The text may carry an access key (&D) and, after a tab, the
    // shortcut that the form answers itself ("\tCtrl+D").
    void AddItem(std::string_view text, std::function<void()> onChoose);
    void AddSeparator();

    // A WM_SYSCOMMAND's command: runs the handler of one of our items and answers true; false for the system's.
    bool Choose(WPARAM command) const;

private:
    HWND window_;
    std::vector<std::function<void()>> handlers_;
};

}  // namespace ui
