#include "ui/SystemLibrary.h"

#include <string>

namespace ui {

SystemLibrary::SystemLibrary(const char* name) {
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    module_.reset(::LoadLibraryA((std::string(folder, length) + "\\" + name).c_str()));
}

}  // namespace ui
