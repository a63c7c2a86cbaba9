#include "image/FolderDlgClass.h"

#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

#include <memory>

namespace velmira {

namespace {

// The browser is a shell namespace view and needs COM on this thread. The program initialises nothing else
// with COM, so the browser brings its own apartment and leaves it again. A thread that already has one keeps
// it (S_FALSE counts too and is balanced); one in the multithreaded apartment is left alone.
class ScopedOleInitialize {
public:
    ScopedOleInitialize() noexcept : initialized_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ScopedOleInitialize(const ScopedOleInitialize&) = delete;
    ScopedOleInitialize& operator=(const ScopedOleInitialize&) = delete;
    ~ScopedOleInitialize() {
        if (initialized_) ::OleUninitialize();
    }

private:
    bool initialized_;
};

struct ItemIdListFree {
    void operator()(ITEMIDLIST* items) const noexcept { ::CoTaskMemFree(items); }
};
using UniqueItemIdList = std::unique_ptr<ITEMIDLIST, ItemIdListFree>;

}  // namespace

bool FolderDlgClass::Execute() {
    const ScopedOleInitialize ole;

    char displayName[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = Owner;
    info.pidlRoot = nullptr;  // the desktop: the whole shell namespace
    info.pszDisplayName = displayName;
    info.lpszTitle = Title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseCallbackProc;
    info.lParam = reinterpret_cast<LPARAM>(this);

    const UniqueItemIdList items(::SHBrowseForFolderA(&info));
    if (!items) return false;

    char path[MAX_PATH] = {};
    if (::SHGetPathFromIDListA(items.get(), path)) SelectedDir = path;
    return true;
}

int CALLBACK BrowseCallbackProc(HWND hwnd, UINT message, LPARAM, LPARAM data) {
    const auto* dialog = reinterpret_cast<const FolderDlgClass*>(data);
    if (dialog && message == BFFM_INITIALIZED && !dialog->InitialDir.empty()) {
        // wParam 1: the selection is a path, not an item list.
        ::SendMessageA(hwnd, BFFM_SETSELECTIONA, 1, reinterpret_cast<LPARAM>(dialog->InitialDir.c_str()));
    }
    return 0;
}

}  // namespace velmira
