#pragma once
// A DLL of the system loaded when something first needs it rather than with the program, from the system
// folder by its full path only, never along the DLL search path.
#include <windows.h>

#include <string>

#include "ui/UniqueHandle.h"

namespace ui {

class SystemLibrary {
public:
    // Loads `name` (such as "comdlg32.dll") from the system folder; false when it could not be loaded.
    explicit SystemLibrary(const char* name);

    explicit operator bool() const noexcept { return static_cast<bool>(module_); }

    // The export of that name as the function pointer type `Fn`, or null when the DLL lacks it.
    template <class Fn>
    Fn Function(const char* name) const {
        if (!module_) return nullptr;
        // Through the generic function pointer type, which every function pointer converts to and from.
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module_.get(), name)));
    }

private:
    UniqueModule module_;
};

// Takes the current folder and PATH out of the search for every DLL the process loads from now on
// (SetDefaultDllDirectories), where the system has it; false where it does not. Called first thing at start.
bool RestrictDllSearch();

// Loads a DLL by its full path. Its own imports come from its folder and the system's, never from the current
// folder or PATH, where the system can tell the loader so; elsewhere, from its folder first.
UniqueModule LoadLibraryByFullPath(const std::string& fullPath);

}  // namespace ui
