#pragma once
// Drives a common file dialog as a user would: a timer running inside the dialog's own message loop finds it
// once it is visible and acts on it (reads it, fills in a name, confirms or cancels). A dialog the action did
// not close is cancelled after a while, so that the test fails instead of hanging.
#include <windows.h>

#include <functional>
#include <string>

namespace testsupport {

class FileDialogScript {
public:
    // `act` runs once, inside the dialog's loop, as soon as the dialog is visible.
    explicit FileDialogScript(std::function<void(HWND dialog)> act);
    FileDialogScript(const FileDialogScript&) = delete;
    FileDialogScript& operator=(const FileDialogScript&) = delete;
    ~FileDialogScript();

    bool Acted() const { return acted_; }
    bool GaveUp() const { return gaveUp_; }

private:
    static BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param);
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);

    static inline FileDialogScript* current_ = nullptr;
    std::function<void(HWND)> act_;
    UINT_PTR timer_ = 0;
    DWORD start_ = 0;
    bool acted_ = false;
    bool gaveUp_ = false;
};

// Types the name into the dialog's name box.
void TypeFileName(HWND dialog, const std::string& name);
// The same for a name in any script.
void TypeFileName(HWND dialog, const std::wstring& name);
// Presses one of the dialog's buttons (IDOK, IDCANCEL).
void PressDialogButton(HWND dialog, int button);

}  // namespace testsupport
