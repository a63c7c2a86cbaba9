#include "ui/OpenDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <string_view>
#include <type_traits>
#include <vector>

#include "text/SystemText.h"
#include "ui/DialogFilter.h"
#include "ui/SystemLibrary.h"

namespace ui {

namespace {


// Room for any path the dialog can hand back (an explorer-style dialog accepts long names).
constexpr std::size_t kFileBufferSize = 32 * 1024;

// The dialog's calls and texts in either character width: the picture's dialog runs in the ANSI code page as
// ever, the palette files' dialogs in UTF-16 so that any name comes back whole.
template <class Char>
struct DialogCalls {
    static constexpr bool kWide = std::is_same_v<Char, wchar_t>;
    using FileName = std::conditional_t<kWide, OPENFILENAMEW, OPENFILENAMEA>;
    static constexpr const char* kOpen = kWide ? "GetOpenFileNameW" : "GetOpenFileNameA";
    static constexpr const char* kSave = kWide ? "GetSaveFileNameW" : "GetSaveFileNameA";
    static std::basic_string<Char> Text(std::string_view text) {
        if constexpr (kWide)
            return velmira::WideText(text);
        else
            return std::string(text);
    }
};

// The common dialogs' DLL is loaded when a dialog first opens, and kept: loaded with the program, it and the
// printing DLLs it brings along were start-up time spent before the main window could show, for a dialog that
// many runs never open.
const SystemLibrary& CommonDialogs() {
    static const SystemLibrary commonDialogs("comdlg32.dll");
    return commonDialogs;
}

template <class Char>
auto FileNameFunction(bool save) {
    using Calls = DialogCalls<Char>;
    using Function = BOOL(WINAPI*)(typename Calls::FileName*);
    static const Function open = CommonDialogs().Function<Function>(Calls::kOpen);
    static const Function saveAs = CommonDialogs().Function<Function>(Calls::kSave);
    return save ? saveAs : open;
}

// Runs the dialog with `name` as the name it starts with, which becomes the name chosen.
template <class Char>
bool RunDialog(FileDialog& dialog, HWND owner, bool save, DWORD flags, const char* defaultExtension,
               std::basic_string<Char>& name) {
    using Calls = DialogCalls<Char>;
    const auto filter = Calls::Text(FilterToDialogForm(dialog.Filter, &velmira::IsLeadByte));
    const auto initialDir = Calls::Text(dialog.InitialDir);
    const auto extension = Calls::Text(defaultExtension ? defaultExtension : "");
    std::vector<Char> file(kFileBufferSize, Char());
    std::copy_n(name.begin(), std::min(name.size(), file.size() - 1), file.begin());

    typename Calls::FileName ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = dialog.Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(std::max(dialog.FilterIndex, 0));
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrDefExt = defaultExtension ? extension.c_str() : nullptr;
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | flags;
    // Cancel and a dialog that could not open both answer false; neither changes what the dialog keeps.
    const auto getFileName = FileNameFunction<Char>(save);
    if (!getFileName || !getFileName(&ofn)) return false;
    name = file.data();
    dialog.FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}

}  // namespace

bool FileDialog::Run(HWND owner, bool save, DWORD flags, const char* defaultExtension) {
    // The dialog starts with the last file name, as a user expects when opening it again.
    if (!WideNames) {
        std::string name = FileName;
        if (!RunDialog(*this, owner, save, flags, defaultExtension, name)) return false;
        FileName = name;
        WideFileName = velmira::WideText(FileName);
        return true;
    }
    std::wstring name = velmira::NarrowText(WideFileName) == FileName ? WideFileName : velmira::WideText(FileName);
    if (!RunDialog(*this, owner, save, flags, defaultExtension, name)) return false;
    WideFileName = name;
    FileName = velmira::NarrowText(WideFileName);
    return true;
}

bool OpenDialog::Execute(HWND owner) {
    return Run(owner, false, 0, nullptr);
}

bool SaveDialog::Execute(HWND owner) {
    return Run(owner, true, OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST, DefaultExt.empty() ? nullptr : DefaultExt.c_str());
}

}  // namespace ui
