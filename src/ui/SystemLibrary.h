#pragma once
// A DLL of the system loaded when something first needs it rather than with the program, from the system
// folder by its full path only, never along the DLL search path.
#include <windows.h>

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

}  // namespace ui
