#include "ui/OpenDialog.h"
#include "text/SystemText.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "ui/DialogFilter.h"
#include "ui/SystemLibrary.h"

namespace ui {

namespace {


// Room for any path the dialog can hand back (an explorer-style dialog accepts long names).
constexpr std::size_t kFileBufferSize = 32 * 1024;

using GetFileNameFn = BOOL(WINAPI*)(OPENFILENAMEW*);

// The common dialogs' DLL is loaded when a dialog first opens, and kept: loaded with the program, it and the
// printing DLLs it brings along were start-up time spent before the main window could show, for a dialog that
// many runs never open.
const SystemLibrary& CommonDialogs() {
    static const SystemLibrary commonDialogs("comdlg32.dll");
    return commonDialogs;
}

GetFileNameFn FileNameFunction(bool save) {
    static const GetFileNameFn open = CommonDialogs().Function<GetFileNameFn>("GetOpenFileNameW");
    static const GetFileNameFn saveAs = CommonDialogs().Function<GetFileNameFn>("GetSaveFileNameW");
    return save ? saveAs : open;
}

}  // namespace

bool FileDialog::Run(HWND owner, bool save, DWORD flags, const char* defaultExtension) {
    const std::wstring filter = velmira::WideText(FilterToDialogForm(Filter, &velmira::IsLeadByte));
    const std::wstring initialDir = velmira::WideText(InitialDir);
    const std::wstring extension = defaultExtension ? velmira::WideText(defaultExtension) : std::wstring();
    // The dialog starts with the last file name, as a user expects when opening it again.
    const std::wstring start = velmira::NarrowText(WideFileName) == FileName ? WideFileName : velmira::WideText(FileName);
    std::vector<wchar_t> file(kFileBufferSize, L'\0');
    std::copy_n(start.begin(), std::min(start.size(), file.size() - 1), file.begin());

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(std::max(FilterIndex, 0));
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrDefExt = defaultExtension ? extension.c_str() : nullptr;
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | flags;
    // Cancel and a dialog that could not open both answer false; neither changes what the dialog keeps.
    const GetFileNameFn getFileName = FileNameFunction(save);
    if (!getFileName || !getFileName(&ofn)) return false;
    WideFileName = file.data();
    FileName = velmira::NarrowText(WideFileName);
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}

bool OpenDialog::Execute(HWND owner) {
    return Run(owner, false, 0, nullptr);
}

bool SaveDialog::Execute(HWND owner) {
    return Run(owner, true, OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST, DefaultExt.empty() ? nullptr : DefaultExt.c_str());
}

}  // namespace ui
