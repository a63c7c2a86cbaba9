#include "ui/SystemLibrary.h"

#include <string>

namespace ui {

SystemLibrary::SystemLibrary(const char* name) {
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    module_.reset(::LoadLibraryA((std::string(folder, length) + "\\" + name).c_str()));
}

// Both looked up rather than imported: systems before Windows 8 have them only with a later update.
bool RestrictDllSearch() {
    const auto setDefault = LoadedSystemExport<BOOL(WINAPI*)(DWORD)>("kernel32.dll", "SetDefaultDllDirectories");
    return setDefault && setDefault(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

UniqueModule LoadLibraryByFullPath(const std::string& fullPath) {
    // The documented test for the LOAD_LIBRARY_SEARCH flags: the system that knows them exports AddDllDirectory.
    static const bool searchFlags = LoadedSystemExport<void (*)()>("kernel32.dll", "AddDllDirectory") != nullptr;
    const DWORD flags = searchFlags ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
                                    : LOAD_WITH_ALTERED_SEARCH_PATH;
    return UniqueModule(::LoadLibraryExA(fullPath.c_str(), nullptr, flags));
}

}  // namespace ui
