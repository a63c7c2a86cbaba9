#include "support/FileDialogScript.h"

#include <commdlg.h>
#include <dlgs.h>

#include <cstring>

namespace testsupport {

FileDialogScript::FileDialogScript(std::function<void(HWND dialog)> act) : act_(std::move(act)) {
    current_ = this;
    start_ = ::GetTickCount();
    timer_ = ::SetTimer(nullptr, 0, 50, &FileDialogScript::OnTimer);
}

FileDialogScript::~FileDialogScript() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
}

BOOL CALLBACK FileDialogScript::FindDialog(HWND hwnd, LPARAM param) {
    char name[16] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    if (std::strcmp(name, "#32770") != 0 || !::IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}

void CALLBACK FileDialogScript::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    FileDialogScript* self = current_;
    if (!self) return;
    HWND dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FileDialogScript::FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    if (!self->acted_) {
        self->acted_ = true;
        self->act_(dialog);
    } else if (::GetTickCount() - self->start_ > 30000 && !self->gaveUp_) {
        // The script's action did not close the dialog: cancel it so the test ends.
        self->gaveUp_ = true;
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

namespace {

// The explorer-style dialog's name box is a combo box (cmb13); older templates have an edit (edt1).
HWND NameBox(HWND dialog) {
    HWND box = ::GetDlgItem(dialog, cmb13);
    return box ? box : ::GetDlgItem(dialog, edt1);
}

}  // namespace

void TypeFileName(HWND dialog, const std::string& name) {
    ::SetWindowTextA(NameBox(dialog), name.c_str());
}

void TypeFileName(HWND dialog, const std::wstring& name) {
    ::SetWindowTextW(NameBox(dialog), name.c_str());
}

void PressDialogButton(HWND dialog, int button) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
}

}  // namespace testsupport
