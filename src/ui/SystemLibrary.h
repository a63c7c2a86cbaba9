#pragma once
// A DLL of the system loaded when something first needs it rather than with the program, from the system
// folder by its full path only, never along the DLL search path.
#include <windows.h>

#include <string>

#include "ui/UniqueHandle.h"

namespace ui {

// The export `name` of `module` as the function pointer type `Fn`, or null when there is no module or no such
// export. The one place where an export's address becomes a typed entry point: through the generic function
// pointer type, which every function pointer converts to and from without a warning.
template <class Fn>
Fn ExportOf(HMODULE module, const char* name) noexcept {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name))) : nullptr;
}

// The same for a system DLL that every process has loaded (kernel32, user32, ntdll): an entry point newer than
// the oldest system the program runs on is looked up, not linked.
template <class Fn>
Fn LoadedSystemExport(const char* module, const char* name) noexcept {
    return ExportOf<Fn>(::GetModuleHandleA(module), name);
}

class SystemLibrary {
public:
    // Loads `name` (such as "comdlg32.dll") from the system folder; false when it could not be loaded.
    explicit SystemLibrary(const char* name);

    explicit operator bool() const noexcept { return static_cast<bool>(module_); }

    // The export of that name as the function pointer type `Fn`, or null when the DLL lacks it.
    template <class Fn>
    Fn Function(const char* name) const noexcept;

private:
    UniqueModule module_;
};

template <class Fn>
Fn SystemLibrary::Function(const char* name) const noexcept {
    return ExportOf<Fn>(module_.get(), name);
}

// Takes the current folder and PATH out of the search for every DLL the process loads after the call
// (SetDefaultDllDirectories), where the system has it; false where it does not. Called first thing at start.
bool RestrictDllSearch();

// Loads a DLL by its full path. Its own imports come from its folder and the system's, never from the current
// folder or PATH, where the system can tell the loader so; elsewhere, from its folder first.
UniqueModule LoadLibraryByFullPath(const std::string& fullPath);

}  // namespace ui
