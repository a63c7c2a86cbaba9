#pragma once
// Drives the shell's folder browser from inside its own modal loop, as a user would: waits for the browser
// that a window owns to open, notes what it shows, optionally moves the selection, then confirms or cancels.
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

class FolderBrowserDriver {
public:
    enum class Answer { Ok, Cancel };

    // Starts watching the calling thread for the browser owned by `owner` (any browser with a null owner). With `select` not empty, the
    // selection is moved there (through the browser's own BFFM_SETSELECTIONA) before the answer is given.
    FolderBrowserDriver(HWND owner, Answer answer, std::string select = {});
    FolderBrowserDriver(const FolderBrowserDriver&) = delete;
    FolderBrowserDriver& operator=(const FolderBrowserDriver&) = delete;
    ~FolderBrowserDriver();

    // Whether the browser showed and was answered.
    bool Answered() const noexcept { return answered_; }
    // What the browser showed when it was found: its window, every static text (the prompt among them) and
    // the names of the selected tree item and its parents, the selected item first.
    HWND Browser() const noexcept { return browser_; }
    HWND BrowserOwner() const noexcept { return browserOwner_; }
    const std::vector<std::string>& Texts() const noexcept { return texts_; }
    const std::vector<std::string>& Selection() const noexcept { return selection_; }
    // The selection's names after `select` was applied.
    const std::vector<std::string>& MovedSelection() const noexcept { return movedSelection_; }
    // The paths the program asked the browser to select (BFFM_SETSELECTIONA with a path) before the answer.
    const std::vector<std::string>& Preselected() const noexcept { return preselected_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    static LRESULT CALLBACK AfterWindowProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK BeforeWindowProc(int code, WPARAM wParam, LPARAM lParam);
    void Note(HWND browser);
    void Respond();

    HWND owner_;
    Answer answer_;
    std::string select_;
    UINT_PTR timer_ = 0;
    HHOOK hook_ = nullptr;
    HHOOK sentHook_ = nullptr;
    HWND initialised_ = nullptr;  // the browser whose WM_INITDIALOG has returned
    DWORD deadline_;
    bool answered_ = false;
    HWND browser_ = nullptr;
    HWND browserOwner_ = nullptr;
    std::vector<std::string> texts_;
    std::vector<std::string> selection_;
    std::vector<std::string> movedSelection_;
    std::vector<std::string> preselected_;
};

// The names of a folder path's components from the last one backwards ("C:\a\b" gives b, a, C:).
std::vector<std::string> PathComponentsBackwards(const std::string& path);

}  // namespace testsupport
